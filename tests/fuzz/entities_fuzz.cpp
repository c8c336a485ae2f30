// Character references in page text and attributes: a reference is never
// shorter than what it stands for, and text without '&' is left alone.
#include "browser/plain/html_document.h"
#include "fuzz_support.h"

using namespace ovn::browser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = ovn::fuzz::Text(data, size);
    const std::wstring decoded = DecodeEntities(text);
    FUZZ_CHECK(decoded.size() <= text.size());
    if (text.find(L'&') == std::wstring::npos)
        FUZZ_CHECK(decoded == text);
    return 0;
}
