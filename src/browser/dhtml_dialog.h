// Dialogs whose surface is a web page. CDHtmlDialog is a dialog from a template
// with one web view filling its client area, opened on a URL and told of the
// page's navigations and element events. CDHtmDlgEx makes such a window
// behave like an application window rather than a browser: dragged by the
// page's plain surface, sprite buttons of class "button", "app:" navigations
// kept for the derived dialog, silent, no context menu, Enter does not close it.
#pragma once
#include <windows.h>
#include <ole2.h>

#include <memory>
#include <string>

#include "browser/page_element.h"
#include "browser/web_view.h"
#include "framework/dialog.h"

namespace ovn::browser {

class CDHtmlDialog : public fw::Dialog, public WebViewEvents {
public:
    explicit CDHtmlDialog(UINT templateId) : fw::Dialog(templateId) {}
    ~CDHtmlDialog() override;

    // Opens url in the view; false when there is no view or it did not start.
    bool Navigate(const std::wstring& url);
    WebView* View() const { return m_view.get(); }

protected:
    // Creates the view over the whole client area (the browser control is
    // hosted through our own site). Derived dialogs call this first.
    bool OnInitDialog() override;
    // Whether WM_SIZE keeps the view filling the client area (the login page
    // places its view itself after each navigation).
    virtual bool ResizeViewWithDialog() const { return true; }
    // No 3-D border, no scroll bars of the browser's own.
    std::uint32_t OnGetHostInfoFlags(std::uint32_t flags) override;

    bool PreTranslateMessage(MSG& msg) override;
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::unique_ptr<WebView> m_view;
};

class CDHtmDlgEx : public CDHtmlDialog, private WebViewShowUI {
public:
    using CDHtmlDialog::CDHtmlDialog;
    ~CDHtmDlgEx() override;

    // The browser's message box and help requests (script alerts). The answer
    // S_FALSE lets the browser show its own; a derived dialog may take them over.
    virtual HRESULT ShowMessage(HWND window, const wchar_t* text, const wchar_t* caption, DWORD type,
                                const wchar_t* helpFile, DWORD helpContext, LRESULT* result);
    virtual HRESULT ShowHelp(HWND window, const wchar_t* helpFile, UINT command, DWORD data, POINT mouse,
                             IDispatch* objectHit);

protected:
    // The view, made silent.
    bool OnInitDialog() override;
    void OnOK() override {}  // Enter never closes a page-only dialog

    // WebViewEvents: "app:" navigations are cancelled, the body scrolls only
    // when it overflows, sprite buttons and dragging, no context menu.
    void OnBeforeNavigate(const std::wstring& url, bool& cancel) override;
    void OnNavigateComplete(const std::wstring& url) override;
    std::uint32_t OnGetHostInfoFlags(std::uint32_t flags) override;
    bool OnPageEvent(PageEvent event, const std::shared_ptr<PageElement>& source) override;
    bool OnShowContextMenu() override { return true; }
    void OnDocumentComplete(const std::wstring& url) override;
    WebViewShowUI* ShowUI() override { return this; }

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Sends target the non-client mouse message of a drag action (DragStart,
    // DragEnd, DragMove) as a press, release or move on its caption at the
    // cursor's position; other actions send nothing.
    static void SendDrag(HWND target, PageAction action);
    // Carries out a sprite button's effect on element.
    void ApplyButtonEffect(const std::shared_ptr<PageElement>& element, const ButtonEffect& effect);

private:
    long OnShowMessage(void* window, const wchar_t* text, const wchar_t* caption, std::uint32_t type,
                       const wchar_t* helpFile, std::uint32_t helpContext, std::intptr_t* result) override;
    long OnShowHelp(void* window, const wchar_t* helpFile, std::uint32_t command, std::uintptr_t data, int x, int y,
                    void* objectHit) override;
    // The element's box in this dialog's client coordinates.
    bool BoxInDialog(const PageElement& element, ElementBox& box) const;

    std::shared_ptr<PageElement> m_pressed;  // the sprite button held down, while the mouse is captured
};

}  // namespace ovn::browser
