#include "skin/message_box.h"

#include "skin/skin_image.h"

#include <string_view>
#include <utility>

#include "res/skin_ids.h"

namespace ovn::skin {

namespace {
constexpr int kMessageTextLabel = 5002;
}  // namespace

Size CMessageBox::WorkAreaSize() const {
    // Where the framework centres it: over a visible owner, else in the primary
    // work area.
    RECT wa = fw::WorkArea();
    HWND owner = ::GetWindow(hwnd(), GW_OWNER);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (owner && ::IsWindowVisible(owner) && !::IsIconic(owner) &&
        ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &mi))
        wa = mi.rcWork;
    return Size{wa.right - wa.left, wa.bottom - wa.top};
}

bool CMessageBox::OnInitDialog() {
    CDlgEx::OnInitDialog();
    SetFrameSpacing({});
    SetSkin(std::move(m_bmpFrameImage), false, true, nullptr, {}, {}, m_bmpCloseImage.get());
    SetCaptionText(m_strCaption.c_str());

    m_hFont = reinterpret_cast<HFONT>(::SendMessageW(hwnd(), WM_GETFONT, 0, 0));
    if (!m_hFont)
        m_hFont = static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
    FittedMessageBox fit;
    {
        gdi::WindowDC dc(hwnd());
        gdi::Select sel(dc.get(), m_hFont);
        TEXTMETRICW tm{};
        ::GetTextMetricsW(dc.get(), &tm);
        m_nLineHeight = tm.tmHeight;
        // Measured as it is drawn, one line at a time.
        auto width = [&dc](std::wstring_view s) {
            RECT r{0, 0, 0, 0};
            ::DrawTextW(dc.get(), s.data(), static_cast<int>(s.size()), &r,
                        DT_CALCRECT | DT_SINGLELINE);
            return static_cast<int>(r.right - r.left);
        };
        const SIZE strip = gdi::BitmapSize(m_bmpButton1Image.get());
        fit = FitMessageBox(m_nStyle, m_strText, width, m_nLineHeight, Size{strip.cx, strip.cy},
                            WorkAreaSize(), Scale());
    }
    m_rows = std::move(fit.text.rows);
    m_nTextWidth = fit.text.width;
    m_nLines = fit.text.lines;
    const MessageBoxLayout& layout = fit.layout;
    ::SetWindowPos(hwnd(), nullptr, 0, 0, layout.window.cx, layout.window.cy,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    auto place = [this](CBtnEx& button, const Rect& r, UINT id, HBITMAP image,
                        const wchar_t* caption) {
        const RECT rc{r.left, r.top, r.right, r.bottom};
        // The caption is the window text too (it is not drawn from there), so
        // screen readers and automation can find the answer by its name.
        if (!button.Create(caption, WS_CHILD | WS_VISIBLE, rc, hwnd(), id))
            return;
        button.SetImage(image, true);
        button.m_strText = caption;
        ::InvalidateRect(button.hwnd(), nullptr, TRUE);
    };
    place(m_btn1, layout.button1, kMessageBoxButton1, m_bmpButton1Image.get(), layout.caption1);
    if (layout.buttonCount == 2)
        place(m_btn2, layout.button2, kMessageBoxButton2, m_bmpButton2Image.get(), layout.caption2);

    // The text is painted by the box; a hidden label carries it for screen
    // readers and automation, which read texts from child windows.
    ::CreateWindowExW(0, L"STATIC", m_strText.c_str(), WS_CHILD | SS_NOPREFIX, 0, 0, 0, 0, hwnd(),
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(kMessageTextLabel)),
                      ::GetModuleHandleW(nullptr), nullptr);
    // Resized without moving: the framework centres it over its owner next.
    return true;
}

void CMessageBox::PaintText() {
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    gdi::WindowDC dc(hwnd());
    gdi::Select sel(dc.get(), m_hFont);
    ::SetBkMode(dc.get(), TRANSPARENT);
    ::SetTextColor(dc.get(), m_crText);
    int i = 0;
    for (const std::wstring& row : m_rows) {
        const Rect r = MessageLineRect(client.right, m_nTextWidth, m_nLineHeight, i++, Scale());
        RECT rc{r.left, r.top, r.right, r.bottom};
        ::DrawTextW(dc.get(), row.c_str(), static_cast<int>(row.size()), &rc, 0);
    }
}

LRESULT CMessageBox::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        const LRESULT r = Default();  // erases, which paints the frame
        PaintText();
        return r;
    }
    case WM_CLOSE:
        EndDialog(kIdCancel);
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            if (LOWORD(wParam) == kMessageBoxButton1) {
                EndDialog(MessageBoxResult(m_nStyle, 1));
                return 0;
            }
            if (LOWORD(wParam) == kMessageBoxButton2) {
                EndDialog(MessageBoxResult(m_nStyle, 2));
                return 0;
            }
        }
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

int RunMessageBox(HWND owner, const wchar_t* text, gdi::Bitmap frame, gdi::Bitmap close,
                  gdi::Bitmap button1, gdi::Bitmap button2, const wchar_t* caption, int type) {
    owner = fw::Dialog::ModalOwner(owner);

    // Without its skin the box cannot size itself; the player still gets the
    // question, from the system's box.
    if (!frame || !button1) {
        const UINT mb = type == BoxYesNo ? MB_YESNO : type == BoxOkCancel ? MB_OKCANCEL : MB_OK;
        return ::MessageBoxW(owner, text ? text : L"", caption ? caption : L"", mb);
    }

    CMessageBox box;
    box.m_nStyle = type;
    box.m_strCaption = caption ? caption : L"";
    box.m_strText = text ? text : L"";
    box.m_bmpFrameImage = std::move(frame);
    box.m_bmpCloseImage = std::move(close);
    box.m_bmpButton1Image = std::move(button1);
    box.m_bmpButton2Image = std::move(button2);
    box.m_crText = 0;
    const INT_PTR result = box.DoModal(owner);
    return result < 0 ? kIdCancel : static_cast<int>(result);
}

int ShowMessageBox(int style, const wchar_t* caption, const wchar_t* text, HWND owner) {
    // The drawings for the scale the box is laid out at: that of the window it
    // appears over (its owner's), or of the screen when it has none.
    const DisplayScale scale = LayoutScale(fw::Dialog::ModalOwner(owner));
    gdi::Bitmap button1 = LoadSkinImage(IDB_BTN_TEXT, scale);
    gdi::Bitmap button2 = LoadSkinImage(IDB_BTN_TEXT, scale);
    gdi::Bitmap close = LoadSkinImage(IDB_BTN_CLOSE, scale);
    gdi::Bitmap frame = LoadSkinImage(IDB_DLG_FRAME, scale);
    return RunMessageBox(owner, text, std::move(frame), std::move(close), std::move(button1),
                         std::move(button2), caption, style);
}

}  // namespace ovn::skin
