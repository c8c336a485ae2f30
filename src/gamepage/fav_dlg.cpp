#include "gamepage/fav_dlg.h"

#include <shlobj.h>

#include "common/code_page.h"
#include "common/log.h"
#include "framework/handles.h"
#include "res/resource.h"
#include "gamepage/favourite_rules.h"

namespace ovn {

namespace {

// Exact or nothing: a character without a spelling in the code page is
// percent-encoded instead (ShortcutAddress).
std::optional<std::string> ToAnsi(std::wstring_view text) { return ExactInCodePage(text, CP_ACP); }

}  // namespace

CFavDlg::CFavDlg(std::wstring name, std::wstring url)
    : fw::Dialog(IDD_ADD_FAVOURITE), m_strName(std::move(name)), m_strUrl(std::move(url)) {}

bool CFavDlg::OnInitDialog() {
    fw::Dialog::OnInitDialog();
    HWND edit = ::GetDlgItem(hwnd(), IDC_FAV_NAME);
    ::SendMessageW(edit, EM_LIMITTEXT, kFavouriteNameChars, 0);
    ::SetWindowTextW(edit, m_strName.c_str());
    return true;
}

void CFavDlg::OnOK() {
    HWND edit = ::GetDlgItem(hwnd(), IDC_FAV_NAME);
    std::wstring name(static_cast<std::size_t>(::GetWindowTextLengthW(edit)) + 1, L'\0');
    name.resize(static_cast<std::size_t>(::GetWindowTextW(edit, name.data(), static_cast<int>(name.size()))));
    fw::Dialog::OnOK();
    // The player is not told when it fails; the log is.
    WriteFavourite(FavoritesFolder(), name, m_strUrl);
}

std::wstring FavoritesFolder() {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_FAVORITES, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

bool WriteFavourite(const std::wstring& folder, const std::wstring& name, const std::wstring& url) {
    const std::optional<std::wstring> path = FavouritePath(folder, name);
    const std::optional<std::string> bytes = InternetShortcutBytes(url, ToAnsi);
    if (!path || !bytes) {
        LogFailure(L"favourite not written: no path or text for it", 0);
        return false;
    }
    fw::Handle file(::CreateFileW(path->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                  nullptr));
    if (!file) {
        LogFailure(L"favourite not written: cannot create the file", ::GetLastError());
        return false;
    }
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file.get(), bytes->data(), static_cast<DWORD>(bytes->size()), &written, nullptr);
    const DWORD error = ::GetLastError();
    file.reset();
    if (!ok || written != bytes->size()) {
        // Half a shortcut would open the wrong page: none at all.
        ::DeleteFileW(path->c_str());
        LogFailure(L"favourite not written whole", ok ? 0 : error);
        return false;
    }
    return true;
}

}  // namespace ovn
