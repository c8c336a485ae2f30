// The game view: the page of one tab (or the hall) in a web view filling the
// frame. It records the page's URL and title for the frame, places the frame in
// the launcher when a navigation completes, and answers the hall's
// "app://entergame|" command.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "browser/web_view.h"
#include "framework/window.h"

namespace ovn {

class CGmWndView : public fw::Window, public browser::WebViewEvents {
public:
    static constexpr const wchar_t* kClassName = L"OvnGmWndView";

    CGmWndView() = default;
    ~CGmWndView() override;

    bool CreateView(HWND frame, UINT id);
    // Starts the web engine and opens StartUrl. False when no engine could start.
    bool OnInitialUpdate();

    void Refresh();
    bool TranslateAccelerator(MSG& msg);
    browser::WebView* Web() const { return m_web.get(); }

    // WebViewEvents
    void OnBeforeNavigate(const std::wstring& url, bool& cancel) override;
    void OnNavigateComplete(const std::wstring& url) override;
    void OnTitleChange(const std::wstring& title) override;
    std::uint32_t OnGetHostInfoFlags(std::uint32_t flags) override;

protected:
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void RunEnterGame(const std::wstring& url);

    std::unique_ptr<browser::WebView> m_web;
    std::vector<std::wstring> m_enterGame;  // commands waiting to run after the event that brought them
};

}  // namespace ovn
