// The add-favourite dialog of a game page: the player names the page, and
// "收藏" writes an Internet Shortcut for it into the user's Favorites folder so
// the page opens directly in the browser.
#pragma once
#include <string>

#include "framework/dialog.h"

namespace ovn {

class CFavDlg : public fw::Dialog {
public:
    CFavDlg(std::wstring name, std::wstring url);

    std::wstring m_strName;  // the proposal: the page's title
    std::wstring m_strUrl;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
};

// The user's Favorites folder; empty when there is none.
std::wstring FavoritesFolder();

// Writes the shortcut for url named name into folder, replacing one of the same
// name. False, with nothing left behind, when it cannot be written whole.
bool WriteFavourite(const std::wstring& folder, const std::wstring& name, const std::wstring& url);

}  // namespace ovn
