// The program's one HTTP client, on WinINet: every GET of the program goes
// through an Exchange, whatever asks for it (the downloads, the ping, the plain
// web engine's pages and pictures). What differs per caller is an option: the
// agent and the request headers, the time-outs, the cache, and who follows a
// redirect. Synchronous: callers that must stay responsive use it on a worker
// thread of their own.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "http/http_length.h"
#include "http/http_rules.h"

namespace ovn::http {

// What a download's task keeps so that a Cancel can stop it on its worker
// thread: the worker stores each Internet handle here the moment it has it, and
// Cancel closes them (a pending read then ends). The lock keeps a handle from
// being closed twice or stored after Cancel. An exchange nobody can cancel
// keeps its handles in one of its own.
class DownloadHandles {
public:
    DownloadHandles();
    ~DownloadHandles();
    DownloadHandles(const DownloadHandles&) = delete;
    DownloadHandles& operator=(const DownloadHandles&) = delete;

    // Worker side: keeps h; false (and h closed) once Cancel has run.
    bool Keep(HINTERNET& slot, HINTERNET h);
    HINTERNET& Internet() { return m_hInternet; }
    HINTERNET& Connection() { return m_hConnection; }
    HINTERNET& Request() { return m_hRequest; }
    // Closes what is open, request first; both sides call it.
    void CloseAll();
    // Dialog side: no more handles are taken, and the open ones are closed.
    void Cancel();
    bool Cancelled() const { return m_cancelled.load(); }

private:
    CRITICAL_SECTION m_lock;
    HINTERNET m_hInternet = nullptr;
    HINTERNET m_hConnection = nullptr;
    HINTERNET m_hRequest = nullptr;
    std::atomic<bool> m_cancelled{false};
};

// Who follows an answer that redirects.
enum class Redirects {
    // Nobody: the first answer is the answer (the ping).
    None,
    // The exchange itself, hop by hop, at most kMaxRedirects hops, each to a plain
    // "http://" address on the allowed domains: the address a redirect names is
    // the sender's word, not ours (the downloads).
    Checked,
    // WinINet, as a browser would, with the process's cookies (the web pages).
    Browser,
};

struct RequestOptions {
    const wchar_t* agent = L"XQV";
    std::wstring_view headers;  // request headers, each line ending in "\r\n"
    DWORD connectTimeoutMs = 0;  // 0: the system's
    DWORD receiveTimeoutMs = 30000;
    // true: always from the server; false: the cache's copy once the server
    // confirms it is current.
    bool reload = true;
    Redirects redirects = Redirects::Checked;
    // Where a Checked redirect may lead.
    std::span<const std::wstring> allowedDomains;
    // How an address appears in the failure log; null: as it is.
    std::wstring (*forLog)(std::wstring_view url) = nullptr;
};

// What one read of a body found.
struct BodyRead {
    std::uint64_t received = 0;
    bool broken = false;  // a read failed before the limit or the end
    bool more = false;    // probed: bytes follow the limit
    bool refused = false; // the taker refused a piece
};

// One GET and its answer. The handles are closed when it ends (or by a Cancel
// on the DownloadHandles it was given).
class Exchange {
public:
    explicit Exchange(const RequestOptions& options, DownloadHandles* handles = nullptr);
    ~Exchange();
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    // Sends the GET to url and follows redirects as the options say. False when
    // no answer came (logged; Error() tells why).
    bool Send(const std::wstring& url);
    DWORD Error() const { return m_error; }

    // The answer's status code, and a header's text (up to chars characters).
    std::optional<unsigned> Status() const;
    std::optional<std::wstring> Header(DWORD what, std::size_t chars = 32) const;
    std::optional<std::uint64_t> ContentLength() const;
    // The address that gave the answer, after redirects; empty when unknown.
    std::wstring FinalUrl() const;

    // Reads the body, never past limit, handing each piece to take (false from
    // take ends the reading). Reads ask for chunk bytes at first and adapt up to
    // block (see NextReadSize). With probe, once limit bytes are in, one more
    // read tells whether the server sends more.
    using Taker = std::function<bool(const char* bytes, std::size_t n, std::uint64_t total)>;
    BodyRead ReadBody(std::uint64_t limit, std::size_t chunk, std::size_t block, bool probe, const Taker& take);

    // The failure log's line for url, with the options' form of addresses.
    void LogFailure(DWORD error, const std::wstring& url, const wchar_t* what) const;

private:
    bool OpenAndSend(const HttpUrlParts& parts);
    std::wstring ForLog(const std::wstring& url) const;

    RequestOptions m_options;
    DownloadHandles m_own;
    DownloadHandles& m_handles;
    HINTERNET m_request = nullptr;
    DWORD m_error = 0;
};

// A 2xx answer with its announced length, as the downloads want it: the expected
// length, or nothing (logged) for another status or no Content-Length.
std::optional<std::uint64_t> CheckDownloadAnswer(const Exchange& exchange, const std::wstring& url);

// The log's line for a body that did not end where its header said.
void LogBodyEnd(const Exchange& exchange, BodyEnd end, const std::wstring& url, std::uint64_t expected);

}  // namespace ovn::http
