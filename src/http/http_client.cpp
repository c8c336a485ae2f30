#include "http/http_client.h"

#include <algorithm>
#include <vector>

#include "common/log.h"
#include "common/newer_windows.h"

namespace ovn::http {

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

Exchange::Exchange(const RequestOptions& options, DownloadHandles* handles)
    : m_options(options), m_handles(handles ? *handles : m_own) {}

Exchange::~Exchange() { m_handles.CloseAll(); }

std::wstring Exchange::ForLog(const std::wstring& url) const {
    return m_options.forLog ? m_options.forLog(url) : url;
}

void Exchange::LogFailure(DWORD error, const std::wstring& url, const wchar_t* what) const {
    LogFailureF(error, L"HTTP GET %ls: %ls", ForLog(url).c_str(), what);
}

bool Exchange::OpenAndSend(const HttpUrlParts& parts) {
    m_request = nullptr;
    HINTERNET internet = ::InternetOpenW(m_options.agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!internet || !m_handles.Keep(m_handles.Internet(), internet)) {
        m_error = ::GetLastError();
        return false;
    }
    // A stalled peer ends a read after this long rather than holding the worker.
    if (DWORD timeout = m_options.connectTimeoutMs)
        ::InternetSetOptionW(internet, INTERNET_OPTION_CONNECT_TIMEOUT, &timeout, sizeof timeout);
    if (DWORD timeout = m_options.receiveTimeoutMs)
        ::InternetSetOptionW(internet, INTERNET_OPTION_RECEIVE_TIMEOUT, &timeout, sizeof timeout);
    HINTERNET connection = ::InternetConnectW(internet, parts.host.c_str(), parts.port, nullptr, nullptr,
                                              INTERNET_SERVICE_HTTP, 0, 0);
    if (!connection || !m_handles.Keep(m_handles.Connection(), connection)) {
        m_error = ::GetLastError();
        return false;
    }
    DWORD flags = INTERNET_FLAG_NO_UI | (m_options.reload ? INTERNET_FLAG_RELOAD : INTERNET_FLAG_RESYNCHRONIZE);
    // Unless the options leave redirects to WinINet, they are ours to follow (or
    // not): WinINet would go wherever one points.
    if (m_options.redirects != Redirects::Browser)
        flags |= INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (parts.secure)
        flags |= INTERNET_FLAG_SECURE;
    const std::wstring object = parts.object.starts_with(L'/') ? parts.object : L"/" + parts.object;
    HINTERNET request =
        ::HttpOpenRequestW(connection, L"GET", object.c_str(), L"HTTP/1.1", nullptr, nullptr, flags, 0);
    if (!request || !m_handles.Keep(m_handles.Request(), request)) {
        m_error = ::GetLastError();
        return false;
    }
    const std::wstring_view headers = m_options.headers;
    if (!::HttpSendRequestW(request, headers.empty() ? nullptr : headers.data(), static_cast<DWORD>(headers.size()),
                            nullptr, 0)) {
        m_error = ::GetLastError();
        return false;
    }
    m_error = 0;
    m_request = request;
    return true;
}

bool Exchange::Send(const std::wstring& url) {
    std::wstring current = url;
    for (int hop = 0;; ++hop) {
        auto parts = m_options.redirects == Redirects::Browser ? SplitPageUrl(current) : SplitHttpUrl(current);
        if (!parts) {
            m_error = 0;
            LogFailure(0, current, L"no address to fetch");
            return false;
        }
        if (!OpenAndSend(*parts)) {
            LogFailure(m_error, current, L"no answer");
            return false;
        }
        if (m_options.redirects != Redirects::Checked)
            return true;
        auto status = Status();
        if (!status || !IsRedirectStatus(*status))
            return true;  // the answer itself judges it
        if (hop == kMaxRedirects) {
            LogFailure(0, url, L"still redirects after the hops allowed; given up");
            return false;
        }
        auto location = Header(HTTP_QUERY_LOCATION, kHostMax + kObjectMax + 16);
        auto next = location ? ResolveRedirect(current, *location) : std::nullopt;
        if (!next) {
            LogFailure(0, current, (L"redirects to \"" + location.value_or(L"") + L"\", which is not followed").c_str());
            return false;
        }
        if (!IsPortalUrl(*next, m_options.allowedDomains)) {
            LogFailure(0, current, (L"redirect to " + ForLog(*next) + L" refused: not on the portal's list").c_str());
            return false;
        }
        m_handles.CloseAll();
        m_request = nullptr;
        current = std::move(*next);
    }
}

std::optional<std::wstring> Exchange::Header(DWORD what, std::size_t chars) const {
    if (!m_request || chars < 2)
        return std::nullopt;
    std::vector<wchar_t> text(chars, L'\0');
    DWORD bytes = static_cast<DWORD>((chars - 1) * sizeof(wchar_t));
    DWORD index = 0;
    if (!::HttpQueryInfoW(m_request, what, text.data(), &bytes, &index))
        return std::nullopt;
    return std::wstring(text.data(), std::min<std::size_t>(bytes / sizeof(wchar_t), chars - 1));
}

std::optional<unsigned> Exchange::Status() const {
    auto text = Header(HTTP_QUERY_STATUS_CODE);
    return text ? ParseStatusCode(*text) : std::nullopt;
}

std::optional<std::uint64_t> Exchange::ContentLength() const {
    auto text = Header(HTTP_QUERY_CONTENT_LENGTH);
    return text ? ParseContentLength(*text) : std::nullopt;
}

std::wstring Exchange::FinalUrl() const {
    if (!m_request)
        return {};
    wchar_t url[2048] = {};
    DWORD bytes = sizeof url - sizeof url[0];
    if (!::InternetQueryOptionW(m_request, INTERNET_OPTION_URL, url, &bytes))
        return {};
    return std::wstring(url);
}

BodyRead Exchange::ReadBody(std::uint64_t limit, std::size_t chunk, std::size_t block, bool probe, const Taker& take) {
    BodyRead read;
    if (!m_request) {
        read.broken = true;
        return read;
    }
    std::vector<char> buffer(std::max<std::size_t>(block, 1));
    std::size_t want = std::max<std::size_t>(std::min(chunk, buffer.size()), 1);
    for (;;) {
        const std::size_t ask = ReadAllowance(read.received, limit, want);
        if (ask == 0)
            break;
        const ULONGLONG began = TickCount64();
        DWORD got = 0;
        if (!::InternetReadFile(m_request, buffer.data(), static_cast<DWORD>(ask), &got)) {
            m_error = ::GetLastError();
            read.broken = true;
            break;
        }
        if (got == 0)
            break;
        want = NextReadSize(want, got, TickCount64() - began, chunk, buffer.size());
        read.received += got;
        if (!take(buffer.data(), got, read.received)) {
            read.refused = true;
            return read;
        }
    }
    if (probe && !read.broken && read.received >= limit) {
        char extra = 0;
        DWORD got = 0;
        read.more = ::InternetReadFile(m_request, &extra, 1, &got) && got > 0;
    }
    return read;
}

std::optional<std::uint64_t> CheckDownloadAnswer(const Exchange& exchange, const std::wstring& url) {
    auto status = exchange.Status();
    if (!status) {
        exchange.LogFailure(::GetLastError(), url, L"no status");
        return std::nullopt;
    }
    if (!IsSuccessStatus(*status)) {
        exchange.LogFailure(0, url, (L"status " + std::to_wstring(*status)).c_str());
        return std::nullopt;
    }
    auto length = exchange.ContentLength();
    if (!length) {
        exchange.LogFailure(0, url, L"no Content-Length");
        return std::nullopt;
    }
    return length;
}

void LogBodyEnd(const Exchange& exchange, BodyEnd end, const std::wstring& url, std::uint64_t expected) {
    if (end == BodyEnd::Short)
        exchange.LogFailure(0, url, (L"ended before its " + std::to_wstring(expected) + L" bytes").c_str());
    else if (end == BodyEnd::Overlong)
        exchange.LogFailure(0, url, (L"sent more than its " + std::to_wstring(expected) + L" bytes").c_str());
}

}  // namespace ovn::http
