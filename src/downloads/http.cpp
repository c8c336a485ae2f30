#include "downloads/http.h"

#include <algorithm>
#include <array>

#include "common/log.h"
#include "common/portal.h"
#include "downloads/progress_rules.h"

namespace ovn::downloads {

namespace {

constexpr wchar_t kHeaders[] = L"Accept-Language: zh-cn \r\nContent-Type: application/x-www-form-urlencoded\r\n";
constexpr std::size_t kHeadersLength = 74;
static_assert(sizeof kHeaders / sizeof kHeaders[0] - 1 == kHeadersLength);
constexpr std::size_t kReadBlock = 256 * 1024;

// Every download asks the same way; only who follows redirects differs.
http::RequestOptions Options(http::Redirects redirects) {
    static const std::array<std::wstring, 3> domains = portal::AllowedDomains();
    http::RequestOptions options;
    options.agent = L"XQV";
    options.headers = std::wstring_view(kHeaders, kHeadersLength);
    options.receiveTimeoutMs = 30000;
    options.reload = true;
    options.redirects = redirects;
    options.allowedDomains = domains;
    return options;
}

// Reads the announced body, and logs how it ended when that was not where the
// header said. Nothing when take refused a piece.
std::optional<http::BodyEnd> ReadAnnouncedBody(http::Exchange& exchange, const std::wstring& url,
                                               std::uint64_t expected, std::size_t chunk, std::size_t block,
                                               const http::Exchange::Taker& take) {
    const http::BodyRead read = exchange.ReadBody(expected, chunk, block, true, take);
    if (read.refused)
        return std::nullopt;
    const http::BodyEnd end = http::JudgeBody(read.received, expected, read.more);
    http::LogBodyEnd(exchange, end, url, expected);
    return end;
}

bool ReadSmallBody(const std::wstring& url, wchar_t* out, DownloadHandles* handles) {
    if (!http::SplitHttpUrl(url))
        return false;
    http::Exchange exchange(Options(http::Redirects::Checked), handles);
    if (!exchange.Send(url))
        return false;
    auto expected = http::CheckDownloadAnswer(exchange, url);
    if (!expected || *expected >= 1024)
        return false;
    const std::size_t length = static_cast<std::size_t>(*expected);
    std::string body;
    // One read may return less than asked over a slow connection; read until the
    // announced length is there or the body ends.
    auto keep = [&](const char* bytes, std::size_t n, std::uint64_t) {
        body.append(bytes, n);
        return true;
    };
    const std::size_t block = std::max<std::size_t>(length, 1);
    if (ReadAnnouncedBody(exchange, url, length, block, block, keep) != http::BodyEnd::Complete)
        return false;
    if (length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, body.data(), static_cast<int>(length), out, 1024);
    return true;
}

}  // namespace

bool IsPortalUrl(const std::wstring& url) {
    auto domains = portal::AllowedDomains();
    return http::IsPortalUrl(url, domains);
}

bool HttpGetToFile(const std::wstring& url, const std::wstring& path, std::size_t chunk, bool checkAllowList,
                   fw::WorkerTask* progress, DownloadHandles* handles, fw::FileHandle* keepOpen) {
    if (checkAllowList && !IsPortalUrl(url)) {
        LogFailureF(0, L"HTTP: %ls is not on the portal's list", url.c_str());
        return false;
    }
    if (!http::SplitHttpUrl(url) || chunk == 0)
        return false;
    http::Exchange exchange(Options(http::Redirects::Checked), handles);
    if (!exchange.Send(url))
        return false;  // logged on the way
    auto expected = http::CheckDownloadAnswer(exchange, url);
    if (!expected)
        return false;
    const DWORD access = keepOpen ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
    fw::FileHandle file(
        ::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        LogFailureF(::GetLastError(), L"HTTP: cannot write %ls", path.c_str());
        return false;
    }
    int shown = -1;  // the dialog hears of a new percentage only
    auto write = [&](const char* bytes, std::size_t n, std::uint64_t total) {
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes, static_cast<DWORD>(n), &written, nullptr) || written != n) {
            LogFailureF(::GetLastError(), L"HTTP: writing %ls failed", path.c_str());
            return false;
        }
        if (int percent = ProgressPercent(total, *expected); progress && percent != shown) {
            progress->PostProgress(percent);
            shown = percent;
        }
        return true;
    };
    const bool ok = ReadAnnouncedBody(exchange, url, *expected, chunk, std::max(chunk, kReadBlock), write) ==
                    http::BodyEnd::Complete;
    if (ok && keepOpen)
        *keepOpen = std::move(file);
    return ok;
}

bool HttpGetToMemory(const std::wstring& url, wchar_t* out, bool checkAllowList, DownloadHandles* handles) {
    if (checkAllowList && !IsPortalUrl(url))
        return false;
    return ReadSmallBody(url, out, handles);
}

bool HttpSendOnly(const std::wstring& url) {
    if (!http::HasHttpPrefix(url) || !http::SplitHttpUrl(url)) {
        ::SetLastError(0);
        return false;
    }
    DWORD error = 0;
    bool ok = false;
    {
        http::Exchange exchange(Options(http::Redirects::None));  // closed before the last error is set
        ok = exchange.Send(url);
        error = exchange.Error();
    }
    if (!ok)
        LogFailureF(error, L"ping %ls not sent", url.c_str());
    ::SetLastError(ok ? 0 : error);
    return ok;
}

}  // namespace ovn::downloads
