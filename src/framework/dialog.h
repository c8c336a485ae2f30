// Dialogs from resource templates, modeless or modal. The modal run is our own
// loop (not DialogBoxParam's), so queued messages go through the pre-translation
// walk before the dialog manager sees them.
#pragma once
#include "framework/window.h"

namespace fw {

class Dialog : public Window {
public:
    explicit Dialog(UINT templateId) : m_templateId(templateId) {}
    ~Dialog() override;

    // Runs the dialog modally, owned by ModalOwner(owner): the owner is disabled
    // while it runs and enabled again (before the dialog goes away, so activation
    // returns to it); the result is what EndDialog was given, or -1 when the
    // dialog could not be made.
    INT_PTR DoModal(HWND owner = nullptr);
    // Creates the dialog modelessly; messages come through the application's pump.
    bool CreateModeless(HWND parent = nullptr);
    // Modal: ends the loop with this result. Modeless: destroys the window.
    void EndDialog(INT_PTR result);

    // The owner of a modal dialog: the top-level window of the one asked for, or
    // of the application's main window when none is; null when there is neither.
    static HWND ModalOwner(HWND requested);
    // How many of this process's modal dialogs owned by owner are running now
    // (nested ones count each). A window that another process disabled may be
    // enabled again only when none of ours holds it disabled; a modal loop the
    // window itself runs in (the launcher's own) holds nothing.
    static int ModalLoopsOver(HWND owner);
    // Whether this process's modal dialogs stay in the topmost band while they
    // run: for a process whose main window has windows of other processes over
    // it that the system does not keep below its dialogs. Off by default.
    static void SetModalsTopmost(bool topmost);

    // Centres the window over its owner when the owner is visible and not
    // minimised, otherwise in the work area (kept on the work area either way).
    void CenterWindow();

    bool IsModal() const { return m_modal; }
    UINT TemplateId() const { return m_templateId; }

    // Offers keyboard input to the dialog manager (Tab, Enter, Esc, mnemonics).
    bool PreTranslateMessage(MSG& msg) override;

protected:
    // Return true to let the system set the focus to the first control.
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // Whether DoModal shows the window after OnInitDialog (a window that places
    // and shows itself later returns false).
    virtual bool ShowOnModalStart() const { return true; }
    // Whether a dialog that sized itself but did not move during OnInitDialog
    // is then centred (see DialogProc). A window that keeps a place of its own
    // even when that place is where it was created returns false.
    virtual bool CentreAfterInit() const { return true; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    HWND CreateFromTemplate(HWND parent);
    static INT_PTR CALLBACK DialogProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

    UINT m_templateId;
    bool m_modal = false;
    bool m_endRequested = false;
    INT_PTR m_result = -1;
};

}  // namespace fw
