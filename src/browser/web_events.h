// What a page shown by either web engine tells the window that hosts it. Both
// engines call these on the user-interface thread, in the order the system's
// browser control does: before-navigate (which may cancel), navigate-complete,
// title-change, document-complete. Platform-free so that the rules above the
// engines can be driven by tests.
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "browser/dhtml_rules.h"

namespace ovn::browser {

class PageElement;

// A host that may take over the browser's own message boxes and help (a page's
// script alerts). The answers are those of the browser's host interface: 0
// (S_OK) the host dealt with it, 1 (S_FALSE) the browser shows its own. Window
// handles travel as void*, so that this header stays free of the platform.
class WebViewShowUI {
public:
    virtual long OnShowMessage(void* window, const wchar_t* text, const wchar_t* caption, std::uint32_t type,
                               const wchar_t* helpFile, std::uint32_t helpContext, std::intptr_t* result) = 0;
    virtual long OnShowHelp(void* window, const wchar_t* helpFile, std::uint32_t command, std::uintptr_t data,
                            int x, int y, void* objectHit) = 0;

protected:
    ~WebViewShowUI() = default;
};

class WebViewEvents {
public:
    // Every navigation, including those a link, a meta refresh or the page's own
    // script starts. Setting cancel keeps the current page and fetches nothing.
    virtual void OnBeforeNavigate(const std::wstring& url, bool& cancel) { (void)url, (void)cancel; }
    virtual void OnNavigateComplete(const std::wstring& url) { (void)url; }
    virtual void OnDocumentComplete(const std::wstring& url) { (void)url; }
    virtual void OnTitleChange(const std::wstring& title) { (void)title; }
    // The page could not be fetched (status 0) or the server answered with an
    // HTTP error status. The engine still shows a page for it and completes.
    virtual void OnNavigateError(const std::wstring& url, int status) { (void)url, (void)status; }
    // The host-information flags (DOCHOSTUIFLAG_*) the page is shown with; the
    // default keeps the engine's own.
    virtual std::uint32_t OnGetHostInfoFlags(std::uint32_t flags) { return flags; }
    // A mouse or context-menu event on an element of the page (the element the
    // event started on). True cancels the page's default action for it.
    virtual bool OnPageEvent(PageEvent event, const std::shared_ptr<PageElement>& source) {
        (void)event, (void)source;
        return false;
    }
    // The engine is about to show its context menu; true: show nothing.
    virtual bool OnShowContextMenu() { return false; }
    // Who takes the browser's message boxes and help; null: nobody, and the
    // browser's requests are answered as handled without showing anything.
    virtual WebViewShowUI* ShowUI() { return nullptr; }

protected:
    ~WebViewEvents() = default;
};

// The host-information flags a window may ask for: the system's DOCHOSTUIFLAG
// values (web_view.cpp checks them against its headers).
constexpr std::uint32_t kHostFlagDialog = 0x01;
constexpr std::uint32_t kHostFlagNo3DBorder = 0x04;
constexpr std::uint32_t kHostFlagScrollNo = 0x08;
// Every window of ours is drawn at its monitor's DPI, and so is its page: the
// control then scales the page's CSS pixels to the window's instead of leaving
// it at 96 DPI, small and out of step with the skin around it.
constexpr std::uint32_t kHostFlagDpiAware = 0x40000000;

}  // namespace ovn::browser
