// A style attribute and a colour as pages write them: what is read must be a
// colour, and sizes and paddings that cannot be negative are not.
#include "browser/plain/html_document.h"
#include "fuzz_support.h"

using namespace ovn::browser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = ovn::fuzz::Text(data, size);
    if (auto color = ParseCssColor(text))
        FUZZ_CHECK(*color <= 0xFFFFFFu);
    HtmlStyle style = ParseInlineStyle(text);
    FUZZ_CHECK(!style.backgroundColor || *style.backgroundColor <= 0xFFFFFFu);
    FUZZ_CHECK(!style.color || *style.color <= 0xFFFFFFu);
    FUZZ_CHECK(style.padding.top >= 0 && style.padding.right >= 0 && style.padding.bottom >= 0 &&
               style.padding.left >= 0);
    return 0;
}
