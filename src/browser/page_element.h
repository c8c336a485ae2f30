// One element of the page a web view shows, as the page-only dialogs need it:
// what it is (tag, class, attributes), where it is, its background's horizontal
// position (sprite buttons) and its click. Both engines hand these out with page
// events; an element may outlive the document it came from, in which case every
// call fails harmlessly. Platform-free.
#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "browser/dhtml_rules.h"

namespace ovn::browser {

class PageElement {
public:
    virtual ~PageElement() = default;

    // The tag name as the page wrote it (compare without case).
    virtual std::wstring TagName() const = 0;
    // The class attribute exactly as written; empty when there is none.
    virtual std::wstring ClassName() const = 0;
    // An attribute's value as text; nothing when the element does not have it.
    virtual std::optional<std::wstring> Attribute(std::wstring_view name) const = 0;
    // Whether the "disabled" attribute reads as a true boolean.
    virtual bool Disabled() const = 0;
    // The element's box in the view's client coordinates; false when it has none.
    virtual bool OffsetBox(ElementBox& box) const = 0;
    // Moves the background picture horizontally, in pixels; false when it could not.
    virtual bool SetBackgroundPositionX(int x) = 0;
    // Clicks the element as the page's click() does: a link navigates.
    virtual bool Click() = 0;
    // Whether this is the same element of the page as other.
    virtual bool SameAs(const PageElement& other) const = 0;
};

}  // namespace ovn::browser
