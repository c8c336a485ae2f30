// The control site as the browser control sees it, for a page-only dialog on the
// real control (which cannot render under Wine: its host interfaces are called
// directly): one object behind the UI handler and the message-box host, the
// dialog's host flags, no context menu, no external object, message boxes
// offered to the dialog.
#include <gtest/gtest.h>
#include <windows.h>
#include <mshtmhst.h>

#include "browser/control_web_view.h"
#include "browser/dhtml_dialog.h"
#include "browser_test_support.h"

using namespace webtest;

namespace {

constexpr IID kIidDocHostShowUI = {0xc4d244b0, 0xd43e, 0x11cf, {0x89, 0x3b, 0x00, 0xaa, 0x00, 0xbd, 0xce, 0x1a}};

class AlertDialog : public ovn::browser::CDHtmDlgEx {
public:
    AlertDialog() : CDHtmDlgEx(9003) {}
    std::wstring alerted;
    HRESULT answer = S_FALSE;
    HRESULT ShowMessage(HWND, const wchar_t* text, const wchar_t*, DWORD, const wchar_t*, DWORD,
                        LRESULT* result) override {
        alerted = text ? text : L"";
        if (result)
            *result = IDOK;
        return answer;
    }
};

fw::ComPtr<IDocHostUIHandler> HandlerOf(ovn::browser::WebView* view) {
    auto* control = static_cast<ovn::browser::ControlWebView*>(view);
    fw::ComPtr<IOleClientSite> site;
    auto object = fw::ComPtr<IWebBrowser2>(control->Browser()).As<IOleObject>();
    if (!object || FAILED(object->GetClientSite(site.put())) || !site)
        return {};
    return site.As<IDocHostUIHandler>();
}

}  // namespace

TEST(ControlSite, AnswersAPageOnlyDialogAsItsHost) {
    OleScope ole;
    ASSERT_TRUE(ole.ok());
    _wputenv_s(L"OVN_WEB_ENGINE", L"control");
    AlertDialog dlg;
    ASSERT_TRUE(dlg.CreateModeless(nullptr));
    ASSERT_NE(dlg.View(), nullptr);
    ASSERT_EQ(dlg.View()->Kind(), ovn::browser::WebEngineKind::Control);
    auto handler = HandlerOf(dlg.View());
    ASSERT_TRUE(handler);

    // One object: the UI handler and the message-box host give each other back.
    fw::ComPtr<IDocHostShowUI> showUI;
    ASSERT_EQ(handler->QueryInterface(kIidDocHostShowUI, showUI.put_void()), S_OK);
    fw::ComPtr<IDocHostUIHandler> back;
    ASSERT_EQ(showUI->QueryInterface(IID_IDocHostUIHandler, back.put_void()), S_OK);
    EXPECT_EQ(back.get(), handler.get());
    EXPECT_EQ(showUI.As<IUnknown>().get(), handler.As<IUnknown>().get());

    DOCHOSTUIINFO info{};
    info.cbSize = sizeof info;
    info.dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
    info.dwFlags = 0x40000;
    EXPECT_EQ(handler->GetHostInfo(&info), S_OK);
    EXPECT_EQ(info.dwFlags, 0x0Du | DOCHOSTUIFLAG_DPI_AWARE);
    EXPECT_EQ(info.cbSize, sizeof info);
    POINT pt{10, 10};
    EXPECT_EQ(handler->ShowContextMenu(0, &pt, nullptr, nullptr), S_OK);  // shown: nothing
    IDispatch* external = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(handler->GetExternal(&external), E_NOTIMPL);
    EXPECT_EQ(external, nullptr);
    EXPECT_EQ(handler->ShowUI(0, nullptr, nullptr, nullptr, nullptr), S_FALSE);
    EXPECT_EQ(handler->HideUI(), E_NOTIMPL);
    EXPECT_EQ(handler->TranslateUrl(0, nullptr, nullptr), S_FALSE);

    // Script alerts go to the dialog, whose answer the browser gets.
    wchar_t text[] = L"hello", caption[] = L"page";
    LRESULT result = 0;
    EXPECT_EQ(showUI->ShowMessage(dlg.hwnd(), text, caption, MB_OK, nullptr, 0, &result), S_FALSE);
    EXPECT_EQ(dlg.alerted, L"hello");
    dlg.answer = S_OK;
    EXPECT_EQ(showUI->ShowMessage(dlg.hwnd(), text, caption, MB_OK, nullptr, 0, &result), S_OK);
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(showUI->ShowHelp(dlg.hwnd(), nullptr, 0, 0, pt, nullptr), S_FALSE);
    dlg.Destroy();
}

TEST(ControlSite, AnotherHostKeepsTheBrowsersMenuAndShowsNoMessages) {
    OleScope ole;
    ASSERT_TRUE(ole.ok());
    HWND host = MakeHostWindow();
    {
        Recorder events;
        RECT rc{0, 0, 300, 200};
        auto view = ovn::browser::CreateWebView(host, rc, events, ovn::browser::WebEngineKind::Control);
        ASSERT_TRUE(view);
        auto handler = HandlerOf(view.get());
        ASSERT_TRUE(handler);
        POINT pt{10, 10};
        EXPECT_EQ(handler->ShowContextMenu(0, &pt, nullptr, nullptr), S_FALSE);  // the browser's own
        // Nobody takes the message boxes: answered as shown, nothing shown.
        fw::ComPtr<IDocHostShowUI> showUI;
        ASSERT_EQ(handler->QueryInterface(kIidDocHostShowUI, showUI.put_void()), S_OK);
        wchar_t text[] = L"hello", caption[] = L"page";
        LRESULT result = 0;
        EXPECT_EQ(showUI->ShowMessage(host, text, caption, MB_OK, nullptr, 0, &result), S_OK);
    }
    DestroyWindow(host);
}
