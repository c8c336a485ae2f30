#include "browser/plain/page_fetch.h"

#include <cstdint>
#include <optional>

#include "browser/plain/page_decode.h"
#include "browser/url.h"
#include "http/http_client.h"

namespace ovn::browser {

namespace {

constexpr DWORD kTimeoutMs = 30000;
constexpr wchar_t kUserAgent[] = L"Ovn/3.0.0.1 (Windows)";
constexpr std::size_t kReadChunk = 8192;

std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s)
        out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

}  // namespace

Fetched FetchBytes(const std::wstring& url, bool reload, const wchar_t* accept) {
    Fetched result;
    http::RequestOptions options;
    options.agent = kUserAgent;
    options.headers = accept;
    options.connectTimeoutMs = kTimeoutMs;
    options.receiveTimeoutMs = kTimeoutMs;
    options.reload = reload;
    options.redirects = http::Redirects::Browser;
    options.forLog = &UrlForLog;  // a login ticket in a query stays out of the log
    // Failures become the error page; the log keeps their cause.
    http::Exchange exchange(options);
    if (!exchange.Send(url))
        return result;
    result.status = static_cast<int>(exchange.Status().value_or(0));
    if (result.status >= 400)
        exchange.LogFailure(0, url, (L"HTTP " + std::to_wstring(result.status)).c_str());
    result.contentType = Narrow(exchange.Header(HTTP_QUERY_CONTENT_TYPE, 512).value_or(std::wstring()));
    result.finalUrl = exchange.FinalUrl();

    // An announced length is where the body ends: bytes past it are not the
    // page's, and a server that sends them is not believed at all.
    const std::optional<std::uint64_t> announced = exchange.ContentLength();
    const bool judged = announced && *announced <= kMaxPageBytes;
    const std::uint64_t limit = judged ? *announced : kMaxPageBytes;
    std::string body;
    auto keep = [&body](const char* bytes, std::size_t n, std::uint64_t) {
        body.append(bytes, n);
        return true;
    };
    const http::BodyRead read = exchange.ReadBody(limit, kReadChunk, kReadChunk, judged, keep);
    if (read.broken) {
        exchange.LogFailure(exchange.Error(), url, L"the answer broke off");
        return result;  // nothing complete arrived
    }
    if (judged && http::JudgeBody(read.received, *announced, read.more) == http::BodyEnd::Overlong) {
        exchange.LogFailure(0, url, L"more bytes than announced");
        return result;
    }
    result.ok = true;
    result.body = std::move(body);
    return result;
}

FetchResult FetchPage(const std::wstring& url, bool reload) {
    Fetched got = FetchBytes(url, reload, L"Accept: text/html, */*\r\n");
    FetchResult result;
    result.ok = got.ok;
    result.status = got.status;
    result.finalUrl = std::move(got.finalUrl);
    if (got.ok)
        result.html = DecodeBody(std::move(got.body), got.contentType);
    return result;
}

}  // namespace ovn::browser
