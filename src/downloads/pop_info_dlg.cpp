#include "downloads/pop_info_dlg.h"

#include <shellapi.h>

#include <vector>

#include "common/log.h"
#include "common/portal.h"
#include "framework/handles.h"
#include "downloads/http.h"
#include "process/process.h"
#include "res/resource.h"
#include "res/skin_ids.h"
#include "skin/skin_image.h"

namespace ovn::downloads {

int NoticeShowings = 1;

namespace {

constexpr wchar_t kSection[] = L"Ovn";
constexpr std::size_t kPictureChunk = 512;
constexpr COLORREF kTitleColor = RGB(19, 43, 67);
constexpr COLORREF kTextColor = RGB(30, 39, 46);
constexpr COLORREF kHoverColor = RGB(22, 122, 235);

std::wstring ReadSetting(const wchar_t* key, DWORD size) {
    const std::wstring ini = LocalSettingsPath();
    std::vector<wchar_t> text(size, L'\0');
    if (!ini.empty())
        ::GetPrivateProfileStringW(kSection, key, L"", text.data(), size, ini.c_str());
    return text.data();
}

void WriteSetting(const wchar_t* key, const std::wstring& value) {
    const std::wstring ini = LocalSettingsPath();
    if (ini.empty() || !::WritePrivateProfileStringW(kSection, key, value.c_str(), ini.c_str()))
        LogFailureF(::GetLastError(), L"notice: cannot write %ls", key);
}

// The whole file when it is small enough to be a notice picture at all.
std::vector<std::uint8_t> ReadPictureFile(const std::wstring& path) {
    fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !::GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 ||
        static_cast<std::uint64_t>(size.QuadPart) > kNoticePictureMaxBytes)
        return {};
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(size.QuadPart));
    DWORD got = 0;
    if (!::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got != bytes.size())
        return {};
    return bytes;
}

// The picture into PopWnd.jpg, and its bytes when they are a picture the
// pop-up could ever show: a huge or foreign file is not decoded at all.
std::vector<std::uint8_t> FetchPicture(const std::wstring& url, DownloadHandles* handles) {
    const std::wstring folder = PlayerFolder();  // players cannot write the program's
    if (folder.empty() || !HttpGetToFile(url, folder + L"PopWnd.jpg", kPictureChunk, true, nullptr, handles))
        return {};
    std::vector<std::uint8_t> bytes = ReadPictureFile(folder + L"PopWnd.jpg");
    if (!IsNoticePictureAcceptable(bytes)) {
        LogFailureF(0, L"notice: the picture from %ls is not one to show", url.c_str());
        return {};
    }
    return bytes;
}

void Place(HWND label, const std::optional<NoticeBox>& box) {
    if (!label)
        return;
    if (!box) {
        ::ShowWindow(label, SW_HIDE);
        return;
    }
    ::MoveWindow(label, box->x, box->y, box->w, box->h, FALSE);
    ::ShowWindow(label, SW_SHOW);
}

void SetLabelText(skin::CStaticEx& label, const std::wstring& text) {
    if (!label.hwnd())
        return;
    // The label draws its own text, not its window's: both are set.
    label.m_strText = text;
    ::SetWindowTextW(label.hwnd(), text.c_str());
}

}  // namespace

CPopInfoDlg::CPopInfoDlg() : CDlgEx(IDD_POPINFO_DLG) {}

CPopInfoDlg::~CPopInfoDlg() { m_worker.Cancel(); }

bool CPopInfoDlg::OpenOnce(HWND launcher) {
    if (m_bOpened)
        return false;
    m_bOpened = true;
    return CreateModeless(launcher);
}

void CPopInfoDlg::DoDataExchange() {
    m_stcPicture.SubclassDlgItem(IDC_POP_PICTURE, hwnd());
    m_stcTitle.SubclassDlgItem(IDC_POP_TITLE, hwnd());
    m_stcText.SubclassDlgItem(IDC_POP_TEXT, hwnd());
    m_stcLink.SubclassDlgItem(IDC_POP_LINK, hwnd());
}

int CPopInfoDlg::FetchAndParseNotice(DownloadHandles* handles) {
    wchar_t body[1024] = {};
    if (!HttpGetToMemory(portal::ServiceUrl(L"/notice/ovn.txt"), body, true, handles))
        return 0;
    const std::wstring line = NoticeLine(std::wstring_view(body, 1024));
    if (!ShouldShowNotice(line, ReadSetting(L"PopInfo", 1024), ReadSetting(L"PopEnable", 8)))
        return 0;
    auto fields = SplitNotice(line);
    if (!fields)
        return 0;
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    if (CompareDates(fields->lastDay, FormatDay(now.wYear, now.wMonth, now.wDay)) > 0)
        return 0;
    m_notice = std::move(*fields);
    WriteSetting(L"PopInfo", line);
    WriteSetting(L"PopEnable", L"1");
    return 1;
}

bool CPopInfoDlg::OnInitDialog() {
    CDlgEx::OnInitDialog();
    DoDataExchange();
    fw::ChangeExStyle(hwnd(), WS_EX_TOOLWINDOW, WS_EX_APPWINDOW);

    const bool started = m_worker.Start(hwnd(), [this](DownloadTask& worker) -> WPARAM {
        if (FetchAndParseNotice(&worker.Handles()) != 1)
            return 0;
        if (ChooseNoticeForm(m_notice) != NoticeForm::TextOnly)
            m_picture = FetchPicture(m_notice.picture, &worker.Handles());
        return 1;
    });
    if (!started)
        OnNoticeFetched(0);
    return true;
}

void CPopInfoDlg::OnNoticeFetched(WPARAM shown) {
    m_bDecided = true;
    m_bShown = shown == 1;
    if (!m_bShown) {
        // Hidden without being made active: a notice that has nothing to show
        // must not take the keyboard from the game page for a moment (Wine even
        // leaves the desktop in front afterwards).
        ::SetWindowPos(hwnd(), nullptr, 0, 0, 0, 0,
                       SWP_HIDEWINDOW | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::PostMessageW(hwnd(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return;
    }
    LayOut(ChooseNoticeForm(m_notice));
    RECT work{};
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    RECT client{};
    ::GetClientRect(hwnd(), &client);
    ::SetWindowPos(hwnd(), HWND_TOPMOST, work.right - client.right, work.bottom - client.bottom, 0, 0,
                   SWP_NOSIZE | SWP_NOACTIVATE);
    // Seen only while the launcher is.
    HWND owner = ::GetWindow(hwnd(), GW_OWNER);
    if (owner && ::IsWindowVisible(owner)) {
        ::ShowWindow(hwnd(), SW_SHOW);
        ::BringWindowToTop(hwnd());
    }
    SetTimer(kTimerNoticeShown, kNoticeShownMs);
}

void CPopInfoDlg::StyleLabel(skin::CStaticEx& label, COLORREF color, int weight) {
    if (!label.hwnd())
        return;
    label.m_crText = color;
    label.m_nFontWeight = weight;
    label.m_crHover = kHoverColor;
    label.m_bHoverColor = true;
    label.m_bLink = true;
    label.m_bUnderline = false;
    fw::ChangeStyle(label.hwnd(), SS_NOTIFY);
}

void CPopInfoDlg::LayOut(NoticeForm form) {
    const bool pictureOnly = form == NoticeForm::PictureOnly;
    m_bmpClose = skin::LoadSkinImage(pictureOnly ? IDB_NOTICE_CLOSE_PIC : IDB_NOTICE_CLOSE, Scale());
    const UINT frame = form == NoticeForm::PictureAndText ? IDB_NOTICE_FRAME
                       : pictureOnly                      ? IDB_NOTICE_FRAME_PIC
                                                          : IDB_NOTICE_FRAME_TEXT;
    RECT client{};
    // The metrics come first: the frame places its close button by them.
    const NoticeLayout probe = LayoutNotice(form, 0, 0);
    SetFrameSpacing({probe.captionHeight, probe.borderWidth, probe.buttonRightMargin, probe.buttonTop,
                     probe.buttonGap});
    SetSkin(skin::LoadSkinImage(frame, Scale()), true, false, nullptr, {}, {}, m_bmpClose.get());
    ::GetClientRect(hwnd(), &client);
    const NoticeLayout layout = LayoutNotice(form, client.right, client.bottom, Scale());
    if (layout.layered) {
        fw::ChangeExStyle(hwnd(), WS_EX_LAYERED);
        ::SetLayeredWindowAttributes(hwnd(), skin::SkinKeyColor, 0, LWA_COLORKEY);
    }

    StyleLabel(m_stcTitle, kTitleColor, 700);
    StyleLabel(m_stcText, kTextColor, -1);
    StyleLabel(m_stcLink, kTextColor, -1);
    Place(m_stcPicture.hwnd(), layout.picture);
    Place(m_stcTitle.hwnd(), layout.title);
    Place(m_stcText.hwnd(), layout.text);
    Place(m_stcLink.hwnd(), layout.link);

    if (layout.title)
        SetLabelText(m_stcTitle, m_notice.title);
    if (layout.pictureInPictureLabel) {
        SetLabelText(m_stcPicture, L"");
        ShowPicture(m_stcPicture);
    }
    if (layout.pictureInTextLabel) {
        SetLabelText(m_stcText, L"");
        ShowPicture(m_stcText);
    } else if (layout.text) {
        SetLabelText(m_stcText, NoticeLabelText(m_notice.text, form));
    }
    ::InvalidateRect(hwnd(), nullptr, TRUE);
}

void CPopInfoDlg::ShowPicture(skin::CStaticEx& label) {
    if (m_picture.empty() || !label.hwnd())
        return;
    // Decoded from the bytes checked, not from the file again, and by the
    // system's decoder: ours is for the pictures we carry, not for what plain
    // HTTP brings.
    m_bmpPicture = skin::DecodeNetworkImage(m_picture.data(), m_picture.size());
    if (m_bmpPicture)
        label.SetImage(m_bmpPicture.get());
}

void CPopInfoDlg::OnTimer(UINT_PTR id) {
    switch (id) {
    case kTimerNoticeShown:
        KillTimer(kTimerNoticeShown);
        if (NoticeShowings < m_notice.showings) {
            SetTimer(kTimerNoticeWait, kNoticeWaitMs);
            ::ShowWindow(hwnd(), SW_HIDE);
        } else {
            // Shown as often as asked without being closed: it may come back
            // at the next start.
            EndDialog(IDCANCEL);
            WriteSetting(L"PopEnable", L"1");
        }
        break;
    case kTimerNoticeWait: {
        ++NoticeShowings;
        KillTimer(kTimerNoticeWait);
        SetTimer(kTimerNoticeShown, kNoticeShownMs);
        // An appearance while the launcher is hidden is skipped, but counted.
        HWND owner = ::GetWindow(hwnd(), GW_OWNER);
        if (owner && ::IsWindowVisible(owner))
            ::ShowWindow(hwnd(), SW_SHOW);
        break;
    }
    }
}

void CPopInfoDlg::OnClick() {
    const std::wstring link = m_notice.link;
    Close(true);
    if (link.empty())
        return;
    // Only a web page: a notice never starts a program or opens a file.
    if (!IsNoticeLinkOpenable(link)) {
        LogFailureF(0, L"notice: the link %ls is not a web page; not opened", link.c_str());
        return;
    }
    ::ShellExecuteW(nullptr, L"open", link.c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED);
}

void CPopInfoDlg::Close(bool seen) {
    KillTimer(kTimerNoticeShown);
    KillTimer(kTimerNoticeWait);
    EndDialog(IDCANCEL);
    if (seen)
        WriteSetting(L"PopEnable", L"0");
}

LRESULT CPopInfoDlg::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case fw::kMsgWorkerDone:
        if (auto shown = m_worker.TakeResult())
            OnNoticeFetched(*shown);
        return 0;
    case WM_TIMER:
        // Anybody can post a timer message; until the fetch is back there is
        // nothing to time (and the worker is still filling the notice).
        if (m_bShown)
            OnTimer(wParam);
        return 0;
    case WM_SYSCOMMAND:
        // The frame's close button: the player has seen it. Minimise is how
        // the pop-up closes itself when there is nothing to show.
        if ((wParam & 0xFFF0) == SC_CLOSE) {
            Close(true);
            return 0;
        }
        if ((wParam & 0xFFF0) == SC_MINIMIZE) {
            Close(false);
            return 0;
        }
        break;
    case WM_COMMAND:
        if (m_bShown && HIWORD(wParam) == STN_CLICKED &&
            (LOWORD(wParam) == IDC_POP_TITLE || LOWORD(wParam) == IDC_POP_TEXT || LOWORD(wParam) == IDC_POP_LINK) &&
            reinterpret_cast<HWND>(lParam) == ::GetDlgItem(hwnd(), LOWORD(wParam)) &&
            ::IsWindowVisible(reinterpret_cast<HWND>(lParam))) {
            OnClick();
            return 0;
        }
        break;
    }
    return CDlgEx::WindowProc(msg, wParam, lParam);
}

}  // namespace ovn::downloads
