#include "net/http.h"

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

#include "common/http_length.h"
#include "common/log.h"
#include "common/portal.h"
#include "framework/handles.h"
#include "net/http_rules.h"

namespace ovn::net {

namespace {

constexpr wchar_t kAgent[] = L"XQV";
constexpr wchar_t kHeaders[] = L"Accept-Language: zh-cn \r\nContent-Type: application/x-www-form-urlencoded\r\n";
constexpr DWORD kHeadersLength = 74;
static_assert(sizeof kHeaders / sizeof kHeaders[0] - 1 == kHeadersLength);
// A stalled peer ends a read after this long rather than holding the worker.
constexpr DWORD kReceiveTimeoutMs = 30000;
constexpr std::size_t kReadBlock = 256 * 1024;
constexpr ULONGLONG kQuickReadMs = 50, kSlowReadMs = 250;

// Internet handles opened on the stack by the uses that keep no record.
struct StackHandles {
    HINTERNET internet = nullptr, connection = nullptr, request = nullptr;
    ~StackHandles() { Close(); }
    void Close() {
        for (HINTERNET* h : {&request, &connection, &internet}) {
            if (*h)
                ::InternetCloseHandle(*h);
            *h = nullptr;
        }
    }
};

// Opens the three handles and sends the request. Handles go into handles when
// given, else into local. Returns the request handle, or null (error in *error).
HINTERNET OpenAndSend(const HttpUrlParts& parts, DownloadHandles* handles, StackHandles& local, DWORD* error) {
    auto keep = [&](HINTERNET& stackSlot, HINTERNET& recordSlot, HINTERNET h) {
        if (handles)
            return handles->Keep(recordSlot, h);
        stackSlot = h;
        return h != nullptr;
    };
    HINTERNET dummy = nullptr;
    HINTERNET internet = ::InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet || !keep(local.internet, handles ? handles->Internet() : dummy, internet)) {
        *error = ::GetLastError();
        return nullptr;
    }
    DWORD timeout = kReceiveTimeoutMs;
    ::InternetSetOptionW(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    HINTERNET connection = ::InternetConnectW(internet, parts.host.c_str(), parts.port, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection || !keep(local.connection, handles ? handles->Connection() : dummy, connection)) {
        *error = ::GetLastError();
        return nullptr;
    }
    // Redirects are ours to follow (or not): WinINet would go wherever one points.
    HINTERNET request = ::HttpOpenRequestW(connection, L"GET", parts.object.c_str(), L"HTTP/1.1", nullptr, nullptr,
                                           INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT, 0);
    if (!request || !keep(local.request, handles ? handles->Request() : dummy, request)) {
        *error = ::GetLastError();
        return nullptr;
    }
    if (!::HttpSendRequestW(request, kHeaders, kHeadersLength, nullptr, 0)) {
        *error = ::GetLastError();
        return nullptr;
    }
    *error = 0;
    return request;
}

std::optional<std::wstring> QueryText(HINTERNET request, DWORD what, std::size_t chars = 32) {
    std::vector<wchar_t> text(chars, L'\0');
    DWORD bytes = static_cast<DWORD>((chars - 1) * sizeof(wchar_t));
    if (!::HttpQueryInfoW(request, what, text.data(), &bytes, nullptr))
        return std::nullopt;
    return std::wstring(text.data(), bytes / sizeof(wchar_t));
}

// Sends the GET to url and on to each address an answer redirects to, at most
// kMaxRedirects hops, each of which must be on the portal's list: the address a
// redirect names is the sender's word, not ours. Returns the request of the
// first answer that is no redirect, or null (logged).
HINTERNET OpenFollowingRedirects(const std::wstring& url, DownloadHandles* handles, StackHandles& local) {
    std::wstring current = url;
    for (int hop = 0;; ++hop) {
        auto parts = SplitHttpUrl(current);
        if (!parts) {
            LogFailureF(0, L"HTTP: %ls is no address to fetch", current.c_str());
            return nullptr;
        }
        DWORD error = 0;
        HINTERNET request = OpenAndSend(*parts, handles, local, &error);
        if (!request) {
            LogFailureF(error, L"HTTP: no answer from %ls", current.c_str());
            return nullptr;
        }
        auto statusText = QueryText(request, HTTP_QUERY_STATUS_CODE);
        auto status = statusText ? ParseStatusCode(*statusText) : std::nullopt;
        if (!status || !IsRedirectStatus(*status))
            return request;  // the answer itself judges it
        if (hop == kMaxRedirects) {
            LogFailureF(0, L"HTTP: %ls still redirects after %d hops; given up", url.c_str(), kMaxRedirects);
            return nullptr;
        }
        auto location = QueryText(request, HTTP_QUERY_LOCATION, kHostMax + kObjectMax + 16);
        auto next = location ? ResolveRedirect(current, *location) : std::nullopt;
        if (!next) {
            LogFailureF(0, L"HTTP: %ls redirects to \"%ls\", which is not followed", current.c_str(),
                        location ? location->c_str() : L"");
            return nullptr;
        }
        if (!IsPortalUrl(*next)) {
            LogFailureF(0, L"HTTP: redirect from %ls to %ls refused: not on the portal's list", current.c_str(),
                        next->c_str());
            return nullptr;
        }
        if (handles)
            handles->CloseAll();
        else
            local.Close();
        current = std::move(*next);
    }
}

// Reads the body, never past the announced length, handing each piece to take
// (false from take ends the reading). Reads ask for chunk bytes at first; they
// grow while the data is there at once (a fast link: few calls) and shrink
// again when one waits (a slow link still shows progress), never past block.
// Once the announced bytes are in, one more read tells whether the server sends
// more than it announced. Nothing when take refused a piece.
std::optional<BodyEnd> ReadAnnouncedBody(HINTERNET request, std::uint64_t expected, std::size_t chunk,
                                         std::size_t block,
                                         const std::function<bool(const char*, std::size_t, std::uint64_t)>& take) {
    std::vector<char> buffer(std::max<std::size_t>(block, 1));
    std::size_t want = std::max<std::size_t>(std::min(chunk, block), 1);
    std::uint64_t total = 0;
    for (;;) {
        const std::size_t ask = ReadAllowance(total, expected, want);
        if (ask == 0)
            break;
        const ULONGLONG began = ::GetTickCount64();
        DWORD got = 0;
        if (!::InternetReadFile(request, buffer.data(), static_cast<DWORD>(ask), &got) || got == 0)
            break;
        const ULONGLONG took = ::GetTickCount64() - began;
        if (got == want && took < kQuickReadMs)
            want = std::min(want * 2, buffer.size());
        else if (took > kSlowReadMs)
            want = std::max(want / 2, std::min(chunk, buffer.size()));
        total += got;
        if (!take(buffer.data(), got, total))
            return std::nullopt;
    }
    bool more = false;
    if (total >= expected) {
        char extra = 0;
        DWORD got = 0;
        more = ::InternetReadFile(request, &extra, 1, &got) && got > 0;
    }
    return JudgeBody(total, expected, more);
}

// The log's line for a body that did not end where its header said.
void LogBodyEnd(BodyEnd end, const std::wstring& url, std::uint64_t expected) {
    if (end == BodyEnd::Short)
        LogFailureF(0, L"HTTP: %ls ended before its %llu bytes", url.c_str(), static_cast<unsigned long long>(expected));
    else if (end == BodyEnd::Overlong)
        LogFailureF(0, L"HTTP: %ls sent more than its %llu bytes", url.c_str(),
                    static_cast<unsigned long long>(expected));
}

// The status must be 2xx and the Content-Length present; the expected length.
std::optional<std::uint64_t> CheckAnswer(HINTERNET request, const std::wstring& url) {
    auto statusText = QueryText(request, HTTP_QUERY_STATUS_CODE);
    auto status = statusText ? ParseStatusCode(*statusText) : std::nullopt;
    if (!status) {
        LogFailureF(::GetLastError(), L"HTTP: no status from %ls", url.c_str());
        return std::nullopt;
    }
    if (!IsSuccessStatus(*status)) {
        LogFailureF(0, L"HTTP: status %u from %ls", *status, url.c_str());
        return std::nullopt;
    }
    auto lengthText = QueryText(request, HTTP_QUERY_CONTENT_LENGTH);
    auto length = lengthText ? ParseContentLength(*lengthText) : std::nullopt;
    if (!length) {
        LogFailureF(0, L"HTTP: no Content-Length from %ls", url.c_str());
        return std::nullopt;
    }
    return length;
}

void ShowProgress(const ProgressSink* sink, int percent) {
    if (sink && sink->notify) {
        ::PostMessageW(sink->notify, sink->message, static_cast<WPARAM>(percent), 0);
        return;
    }
    if (!sink || !sink->bar)
        return;
    ::SendMessageW(sink->bar, PBM_SETPOS, static_cast<WPARAM>(percent), 0);
    if (sink->label) {
        std::wstring text = ProgressLabel(percent);
        ::SetWindowTextW(sink->label, text.c_str());
        ::InvalidateRect(sink->label, nullptr, TRUE);
    }
}

}  // namespace

DownloadHandles::DownloadHandles() { ::InitializeCriticalSection(&m_lock); }
DownloadHandles::~DownloadHandles() {
    CloseAll();
    ::DeleteCriticalSection(&m_lock);
}

bool DownloadHandles::Keep(HINTERNET& slot, HINTERNET h) {
    ::EnterCriticalSection(&m_lock);
    bool kept = !m_cancelled.load() && h;
    if (kept)
        slot = h;
    ::LeaveCriticalSection(&m_lock);
    if (!kept && h) {
        ::InternetCloseHandle(h);
        ::SetLastError(ERROR_INTERNET_OPERATION_CANCELLED);
    }
    return kept;
}

void DownloadHandles::CloseAll() {
    ::EnterCriticalSection(&m_lock);
    for (HINTERNET* slot : {&m_hRequest, &m_hConnection, &m_hInternet}) {
        if (*slot)
            ::InternetCloseHandle(*slot);
        *slot = nullptr;
    }
    ::LeaveCriticalSection(&m_lock);
}

void DownloadHandles::Cancel() {
    m_cancelled.store(true);
    CloseAll();
}

void DownloadHandles::Reset() {
    CloseAll();
    m_cancelled.store(false);
    m_bSuccess.store(0);
}

bool IsPortalUrl(const std::wstring& url) {
    auto domains = portal::AllowedDomains();
    return IsPortalUrl(url, domains);
}

bool HttpGetToFile(const std::wstring& url, const std::wstring& path, std::size_t chunk, bool checkAllowList,
                   const ProgressSink* progress, DownloadHandles* handles, fw::FileHandle* keepOpen) {
    if (checkAllowList && !IsPortalUrl(url)) {
        LogFailureF(0, L"HTTP: %ls is not on the portal's list", url.c_str());
        return false;
    }
    if (!SplitHttpUrl(url) || chunk == 0)
        return false;
    StackHandles local;
    HINTERNET request = OpenFollowingRedirects(url, handles, local);
    bool ok = false;
    if (!request) {
        // logged on the way
    } else if (auto expected = CheckAnswer(request, url)) {
        const DWORD access = keepOpen ? GENERIC_READ | GENERIC_WRITE : GENERIC_WRITE;
        fw::FileHandle file(::CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            LogFailureF(::GetLastError(), L"HTTP: cannot write %ls", path.c_str());
        } else {
            int shown = -1;  // the bar hears of a new percentage only
            auto write = [&](const char* bytes, std::size_t n, std::uint64_t total) {
                DWORD written = 0;
                if (!::WriteFile(file.get(), bytes, static_cast<DWORD>(n), &written, nullptr) || written != n) {
                    LogFailureF(::GetLastError(), L"HTTP: writing %ls failed", path.c_str());
                    return false;
                }
                if (int percent = ProgressPercent(total, *expected); percent != shown) {
                    ShowProgress(progress, percent);
                    shown = percent;
                }
                return true;
            };
            auto end = ReadAnnouncedBody(request, *expected, chunk, std::max(chunk, kReadBlock), write);
            ok = end == BodyEnd::Complete;
            if (end)
                LogBodyEnd(*end, url, *expected);
            if (ok && keepOpen)
                *keepOpen = std::move(file);
        }
    }
    if (handles)
        handles->CloseAll();
    return ok;
}

namespace {

bool ReadSmallBody(const std::wstring& url, wchar_t* out, DownloadHandles* handles) {
    if (!SplitHttpUrl(url))
        return false;
    StackHandles local;
    HINTERNET request = OpenFollowingRedirects(url, handles, local);
    if (!request)
        return false;
    auto expected = CheckAnswer(request, url);
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
    auto end = ReadAnnouncedBody(request, length, std::max<std::size_t>(length, 1), std::max<std::size_t>(length, 1),
                                 keep);
    if (end != BodyEnd::Complete) {
        if (end)
            LogBodyEnd(*end, url, length);
        return false;
    }
    if (length > 0)
        ::MultiByteToWideChar(CP_ACP, 0, body.data(), static_cast<int>(length), out, 1024);
    return true;
}

}  // namespace

bool HttpGetToMemory(const std::wstring& url, wchar_t* out, bool checkAllowList, DownloadHandles* handles) {
    if (checkAllowList && !IsPortalUrl(url))
        return false;
    const bool ok = ReadSmallBody(url, out, handles);
    if (handles)
        handles->CloseAll();
    return ok;
}

bool HttpSendOnly(const std::wstring& url) {
    if (!HasHttpPrefix(url)) {
        ::SetLastError(0);
        return false;
    }
    auto parts = SplitHttpUrl(url);
    if (!parts) {
        ::SetLastError(0);
        return false;
    }
    DWORD error = 0;
    bool ok = false;
    {
        StackHandles local;  // closed before the last error is set
        ok = OpenAndSend(*parts, nullptr, local, &error) != nullptr;
    }
    if (!ok)
        LogFailureF(error, L"ping %ls not sent", url.c_str());
    ::SetLastError(ok ? 0 : error);
    return ok;
}

}  // namespace ovn::net
