// A meta refresh's content: the delay is a number of seconds the timer can take.
#include "browser/plain/html_document.h"
#include "fuzz_support.h"

using namespace ovn::browser;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::wstring text = ovn::fuzz::Text(data, size);
    if (auto refresh = ParseRefreshContent(text)) {
        FUZZ_CHECK(refresh->delaySeconds >= 0 && refresh->delaySeconds <= 86400);
        FUZZ_CHECK(refresh->url.size() <= text.size());
    }
    return 0;
}
