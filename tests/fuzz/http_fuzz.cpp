// The download URLs the HTTP helper is given (the update's address, a page's
// link) and the answers' headers: a URL is split within its buffers and rebuilt
// to the same parts, the allow-list passes only a host made of host characters
// that is one of the portal's domains, and the header values read are in range.
// Input: the URL on the first line, header values after it.
#include "common/portal.h"
#include "common/text.h"
#include "fuzz_support.h"
#include "http/http_rules.h"
#include "downloads/progress_rules.h"

using namespace ovn::http;
using ovn::downloads::ProgressPercent;

namespace {

// A plain host name or IPv4 address, in lower case.
bool IsPlainHost(const std::wstring& lowerHost) {
    return lowerHost.find_first_not_of(L"abcdefghijklmnopqrstuvwxyz0123456789-._") == std::wstring::npos;
}

bool EndsWithDomain(const std::wstring& host, const std::wstring& domain) {
    const std::wstring h = ovn::ToLowerAscii(host), d = ovn::ToLowerAscii(domain);
    return h == d || (h.size() > d.size() + 1 && h.ends_with(L"." + d));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint64_t received = ovn::fuzz::TakeNumber(data, size, 4) * 0x100000000ull + ovn::fuzz::TakeNumber(data, size, 4);
    const std::uint64_t expected = ovn::fuzz::TakeNumber(data, size, 4) * 0x100000000ull + ovn::fuzz::TakeNumber(data, size, 4);
    const int percent = ProgressPercent(received, expected);
    FUZZ_CHECK(percent >= 0 && percent <= 100);

    const auto f = ovn::fuzz::Fields(ovn::fuzz::Text(data, size), 2);
    const std::wstring& url = f[0];
    if (const auto parts = SplitHttpUrl(url)) {
        FUZZ_CHECK(HasHttpPrefix(url));
        FUZZ_CHECK(!parts->host.empty() && parts->host.size() <= kHostMax && parts->object.size() <= kObjectMax);
        if (parts->host.find_first_of(L":/") == std::wstring::npos) {
            const std::wstring rebuilt = L"http://" + parts->host + L":" + std::to_wstring(parts->port) + L"/" + parts->object;
            FUZZ_CHECK(SplitHttpUrl(rebuilt) == parts);
        }
    }
    const auto domains = ovn::portal::AllowedDomains();
    if (IsPortalUrl(url, domains)) {
        const auto parts = SplitHttpUrl(url);
        FUZZ_CHECK(parts.has_value());
        FUZZ_CHECK(IsPlainHost(ovn::ToLowerAscii(parts->host)));
        bool named = false;
        for (const std::wstring& domain : domains)
            named = named || EndsWithDomain(parts->host, domain);
        FUZZ_CHECK(named);
    }
    if (f.size() > 1) {
        if (const auto status = ParseStatusCode(f[1]))
            FUZZ_CHECK(*status <= 999);
        (void)ParseContentLength(f[1]);
    }
    return 0;
}
