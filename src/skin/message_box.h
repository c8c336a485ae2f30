// The skinned message box every question and notice of the program goes through.
#pragma once
#include "skin/dlg_ex.h"
#include "skin/message_box_layout.h"  // the box types and the results it answers with

#include <string>
#include <vector>

#include "res/resource.h"  // IDD_MESSAGE_BOX

namespace ovn::skin {

class CMessageBox : public CDlgEx {
public:
    CMessageBox() : CDlgEx(IDD_MESSAGE_BOX) {}

    gdi::Bitmap m_bmpFrameImage;  // handed to the frame by OnInitDialog
    gdi::Bitmap m_bmpCloseImage;
    gdi::Bitmap m_bmpButton1Image;
    gdi::Bitmap m_bmpButton2Image;
    std::wstring m_strText;  // "\n" separates lines
    std::wstring m_strCaption;
    int m_nStyle = 0;
    int m_nLines = 1;  // rows the box keeps room for
    HFONT m_hFont = nullptr;  // the dialog's own font, not owned
    COLORREF m_crText = 0;
    CBtnEx m_btn1;
    CBtnEx m_btn2;
    // The text as drawn: wrapped and cut to fit the work area, measured once.
    std::vector<std::wstring> m_rows;
    int m_nTextWidth = 0;
    int m_nLineHeight = 0;

protected:
    bool OnInitDialog() override;
    void OnScaleChanged() override;
    void OnOK() override {}      // Enter does not answer the box
    void OnCancel() override {}  // nor does Esc
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    // The work area of the screen the box appears on.
    Size WorkAreaSize() const;
    void PaintText();
    // Fits the text, sizes the box and places its buttons for the scale.
    void LayOut();
};

// Runs one box modally. owner null: the application's main window owns it. The
// frame image goes to the box's frame; the others are released by the box.
// Returns 1 (OK), 2 (Cancel, or closed), 6 (Yes) or 7 (No).
int RunMessageBox(HWND owner, const wchar_t* text, gdi::Bitmap frame, gdi::Bitmap close,
                  gdi::Bitmap button1, gdi::Bitmap button2, const wchar_t* caption, int type);

// The box with the program's own skin images. type: 0 OK, 1 OK and Cancel, 4 Yes
// and No. Returns the result code as the system's message box would.
int ShowMessageBox(int style, const wchar_t* caption, const wchar_t* text, HWND owner);

}  // namespace ovn::skin
