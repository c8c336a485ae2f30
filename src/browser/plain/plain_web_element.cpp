// The document's elements as the page events hand them out: each holds its
// document's token and goes dead when another document replaces it.
#include "browser/plain/plain_web_view.h"
#include "common/text.h"

#include <cwctype>

namespace ovn::browser {

class PlainWebView::Element final : public PageElement {
public:
    Element(std::weak_ptr<DocToken> token, int index) : m_token(std::move(token)), m_index(index) {}

    std::wstring TagName() const override {
        const HtmlElement* e = Get();
        return e ? e->tag : std::wstring();
    }
    std::wstring ClassName() const override { return Attribute(L"class").value_or(std::wstring()); }
    std::optional<std::wstring> Attribute(std::wstring_view name) const override {
        const HtmlElement* e = Get();
        const std::wstring lower = ToLowerAscii(name);
        const std::wstring* value = e ? e->Attribute(lower) : nullptr;
        if (!value)
            return std::nullopt;
        return *value;
    }
    // A boolean attribute: being there is being true.
    bool Disabled() const override { return Attribute(L"disabled").has_value(); }
    bool OffsetBox(ElementBox& box) const override {
        PlainWebView* view = nullptr;
        RECT r{};
        if (!Get(&view) || !view->ElementRect(m_index, r))
            return false;
        box = {r.left, r.top, r.right - r.left, r.bottom - r.top};
        return true;
    }
    bool SetBackgroundPositionX(int x) override {
        PlainWebView* view = nullptr;
        if (!Get(&view))
            return false;
        view->SetBackgroundX(m_index, x);
        return true;
    }
    bool Click() override {
        PlainWebView* view = nullptr;
        return Get(&view) && view->ClickElement(m_index);
    }
    bool SameAs(const PageElement& other) const override {
        const auto* o = dynamic_cast<const Element*>(&other);
        if (!o || o->m_index != m_index)
            return false;
        auto a = m_token.lock(), b = o->m_token.lock();
        return a && a == b;
    }

private:
    const HtmlElement* Get(PlainWebView** view = nullptr) const {
        auto token = m_token.lock();
        if (!token || !token->view)
            return nullptr;
        const auto& elements = token->view->m_browser.Document().elements;
        if (m_index < 0 || static_cast<size_t>(m_index) >= elements.size())
            return nullptr;
        if (view)
            *view = token->view;
        return &elements[static_cast<size_t>(m_index)];
    }

    std::weak_ptr<DocToken> m_token;
    int m_index;
};

bool PlainWebView::ElementRect(int index, RECT& rect) const {
    if (index < 0 || static_cast<size_t>(index) >= m_boxes.size())
        return false;
    const ElementBox& box = m_boxes[static_cast<size_t>(index)];
    if (box.width <= 0 || box.height <= 0)
        return false;
    rect.left = ContentLeft() + box.left;
    rect.top = ContentTop() + box.top - m_scrollY;
    rect.right = rect.left + box.width;
    rect.bottom = rect.top + box.height;
    return true;
}

int PlainWebView::ElementById(std::wstring_view id) const {
    const auto& elements = m_browser.Document().elements;
    for (size_t i = 0; i < elements.size(); ++i)
        if (const auto* v = elements[i].Attribute(L"id"); v && *v == id)
            return static_cast<int>(i);
    return -1;
}

std::shared_ptr<PageElement> PlainWebView::ElementAtIndex(int index) const {
    if (!m_docToken || index < 0 || static_cast<size_t>(index) >= m_browser.Document().elements.size())
        return nullptr;
    return std::make_shared<Element>(m_docToken, index);
}

int PlainWebView::BackgroundX(int element) const {
    auto it = m_backgroundX.find(element);
    if (it != m_backgroundX.end())
        return it->second;
    return m_scaled.elements[static_cast<size_t>(element)].style.backgroundX;
}

void PlainWebView::SetBackgroundX(int element, int x) {
    m_backgroundX[element] = x;
    RECT r{};
    if (ElementRect(element, r))
        ::InvalidateRect(hwnd(), &r, FALSE);
}

bool PlainWebView::ClickElement(int element) {
    const auto& elements = m_browser.Document().elements;
    if (element < 0 || static_cast<size_t>(element) >= elements.size())
        return false;
    int link = elements[static_cast<size_t>(element)].link;
    if (link < 0)
        return false;
    m_browser.FollowLink(link);  // the page may cancel the navigation; the click happened
    return true;
}

}  // namespace ovn::browser
