// A fetched page's bytes and its Content-Type: the charset found is a lower-case
// label, and a byte-order mark is never longer than the body. Input: the
// Content-Type up to the first line break, the body after it (raw bytes).
#include <string_view>

#include "browser/plain/charset.h"
#include "fuzz_support.h"

using namespace ovn::browser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t eol = bytes.find('\n');
    const std::string_view contentType = bytes.substr(0, eol);
    const std::string_view body = eol == std::string_view::npos ? std::string_view() : bytes.substr(eol + 1);

    const std::string label = DetectCharset(contentType, body);
    for (char c : label)
        FUZZ_CHECK(c < 'A' || c > 'Z');
    (void)CodePageForCharset(label);
    const std::string fromHeader = CharsetFromContentType(ovn::fuzz::Text(data, eol == std::string_view::npos ? size : eol));
    for (char c : fromHeader)
        FUZZ_CHECK(c < 'A' || c > 'Z');
    const std::size_t mark = ByteOrderMarkLength(body);
    FUZZ_CHECK((mark == 0 || mark == 2 || mark == 3) && mark <= body.size());
    return 0;
}
