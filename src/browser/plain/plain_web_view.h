// The plain built-in web engine's window: fetches pages on worker threads
// (page_fetch: cookies, the cache and redirects are the system's), shows the title,
// the text and the links, the page's background colours and background
// pictures (sprite buttons), follows a clicked link or a meta refresh, and tells
// its events of mouse events on the page's elements. The navigation rules
// themselves are PlainBrowser's.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "browser/plain/page_boxes.h"
#include "browser/plain/page_scale.h"
#include "browser/page_element.h"
#include "browser/plain/plain_browser.h"
#include "browser/plain/text_layout.h"
#include "browser/web_view.h"
#include "common/display_scale.h"
#include "framework/gdi_handles.h"
#include "framework/window.h"

namespace ovn::browser {

class PlainWebView final : public WebView, private fw::Window, private PlainBrowserHost {
public:
    static constexpr const wchar_t* kClassName = L"OvnPlainWeb";

    explicit PlainWebView(WebViewEvents& events);
    ~PlainWebView() override;

    bool CreateView(HWND parent, const RECT& rect);

    HWND WindowHandle() const override { return hwnd(); }
    bool Navigate(const std::wstring& url) override { return m_browser.Navigate(url); }
    void Refresh() override { m_browser.Refresh(); }
    std::wstring Title() const override { return m_browser.Title(); }
    std::wstring Url() const override { return m_browser.Url(); }
    void SetSilent(bool) override {}  // the plain engine never shows dialogs of its own
    bool TranslateAccelerator(MSG& msg) override;
    bool SetBodyScroll(const std::wstring& scroll) override;
    WebEngineKind Kind() const override { return WebEngineKind::Plain; }

    const PlainBrowser& Browser() const { return m_browser; }
    // Where link index is drawn now, in client coordinates; false when it is not.
    bool LinkRect(int index, RECT& rect) const;
    // Where element index of the document is now, in client coordinates; false when it has no box.
    bool ElementRect(int index, RECT& rect) const;
    // The first element whose "id" attribute is id, -1 when none.
    int ElementById(std::wstring_view id) const;
    // The document's element as the page events hand it out.
    std::shared_ptr<PageElement> ElementAtIndex(int index) const;
    // Whether every background picture asked for has arrived (or failed).
    bool PicturesSettled() const;
    // The scale the page is laid out and drawn at: its window's DPI (by PageDpi).
    DisplayScale Scale() const { return m_scale; }
    // The height in pixels of a line of the page's text.
    int LineHeight() const { return m_lineHeight; }

private:
    struct Inbox;
    // Alive as long as the document its elements belong to is shown.
    struct DocToken {
        PlainWebView* view = nullptr;
    };
    class Element;
    struct Picture {
        fw::gdi::Bitmap bitmap;  // as it came
        int width = 0, height = 0;
        fw::gdi::Bitmap shown;   // at the view's scale (empty at 100 %: the one that came)
        int shownWidth = 0, shownHeight = 0;
    };

    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    void StartFetch(std::uint64_t request, const std::wstring& url, bool reload) override;
    void CompleteLater(std::uint64_t request) override;
    void ScheduleRefresh(int delayMs) override;
    void CancelRefresh() override;
    void DocumentChanged() override;

    void DeliverFetches();
    void FetchPictures();
    // The backgrounds of the elements of one layer: the flow (-1) or a positioned box.
    void DrawBackgrounds(HDC dc, const RECT& client, int layer);
    int ElementAtClient(int x, int y) const;
    // Hands a page event to the events; true when they cancelled its default action.
    bool FirePageEvent(PageEvent event, int element);
    void OnMouseMove(int x, int y);
    void OnMouseLeave();
    void OnContextMenu(LPARAM lParam);
    int BackgroundX(int element) const;
    void SetBackgroundX(int element, int x);
    bool ClickElement(int element);
    int ContentLeft() const;
    int Margin() const;  // around the page, at the view's scale
    // Takes the window's DPI: fonts, the document's lengths and the pictures follow it.
    void TakeScale();
    void ScalePicture(Picture& pic) const;
    static COLORREF ToColorRef(std::uint32_t rgb);  // a page's 0xRRGGBB
    void MakeFonts();
    void Relayout();
    void UpdateScrollBar();
    void ScrollTo(int y);
    void Paint(HDC dc, const RECT& client);
    int LinkAtClient(int x, int y) const;
    int ContentTop() const;
    bool ScrollBarsWanted() const;

    WebViewEvents& m_events;
    PlainBrowser m_browser;
    std::shared_ptr<Inbox> m_inbox;
    PageLayout m_layout;
    DisplayScale m_scale;
    HtmlDocument m_scaled;  // the document with its lengths at m_scale
    fw::gdi::Font m_fontText, m_fontBold, m_fontLink, m_fontTitle;
    int m_lineHeight = 16;
    int m_titleHeight = 22;
    int m_scrollY = 0;
    int m_pressedLink = -1;
    std::uint32_t m_hostFlags = 0;

    std::vector<ElementBox> m_boxes;    // per element of the document, layout coordinates
    std::shared_ptr<DocToken> m_docToken;  // replaced per document: old elements go dead
    int m_hoverElement = -1;
    bool m_trackingLeave = false;
    std::map<int, int> m_backgroundX;   // background positions the page's elements were given, in the
                                        // view's pixels (as their boxes are reported)
    std::wstring m_bodyScroll;          // the body's scroll attribute; empty: the host flags decide
    std::map<std::wstring, Picture> m_pictures;  // by absolute URL; failed ones stay empty
    std::set<std::wstring> m_pictureFetches;     // asked for and not yet arrived
};

}  // namespace ovn::browser
