// The HTTP helper against the local portal and its misbehaviour switch: each
// fault gives the result the program relies on, ends, and leaves the files as
// documented. Also the ping's form and Cancel of a download on a worker thread.
#include <windows.h>
#include <winsock2.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "browser_test_support.h"
#include "common/portal.h"
#include "http/http_client.h"
#include "downloads/http.h"
#include "loopback_listener.h"
#include "portal_test_support.h"
#include "temp_file.h"

namespace {

std::string Get(const std::wstring& pathAndQuery) { return wintest::PortalGet(pathAndQuery); }

void Misbehave(const std::wstring& path, const std::wstring& mode, int chunk = 1) {
    Get(L"/__misbehave?path=" + path + L"&mode=" + mode + L"&chunk=" + std::to_wstring(chunk));
}

using wintest::Occurrences;

using wintest::TempFile;

// Size of a file, or -1 when there is none.
long long FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return -1;
    return (static_cast<long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class HttpHelper : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(webtest::EnsurePortalAddress().empty()) << "no local portal";
        Get(L"/__requests?clear=1");
    }
    void TearDown() override {
        for (const wchar_t* path : {L"/blob.bin", L"/update/pkg/Ovn.exe", L"/update/ConfigOvn.htm"})
            Misbehave(path, L"off");
    }
    std::wstring Blob(std::size_t size) { return ovn::portal::ServiceUrl(L"/blob.bin?size=" + std::to_wstring(size)); }
};

TEST_F(HttpHelper, FileFaultMatrix) {
    const std::wstring path = TempFile(L"ovn_http_test.bin");
    // A whole answer.
    EXPECT_TRUE(ovn::downloads::HttpGetToFile(Blob(70000), path, 512, true));
    EXPECT_EQ(FileSize(path), 70000);

    // 404: fails before a file is made.
    DeleteFileW(path.c_str());
    Misbehave(L"/blob.bin", L"404");
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(1000), path, 512, true));
    EXPECT_EQ(FileSize(path), -1);

    // No Content-Length: fails.
    Misbehave(L"/blob.bin", L"nolength");
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(1000), path, 512, true));
    EXPECT_EQ(FileSize(path), -1);

    // A body shorter than announced: fails, and the part that came stays.
    Misbehave(L"/blob.bin", L"short");
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(1000), path, 512, true));
    EXPECT_EQ(FileSize(path), 1000);

    // Slow but whole: succeeds.
    Misbehave(L"/blob.bin", L"slow", 400);
    EXPECT_TRUE(ovn::downloads::HttpGetToFile(Blob(2000), path, 512, true));
    EXPECT_EQ(FileSize(path), 2000);

    // A connection closed without an answer: fails.
    DeleteFileW(path.c_str());
    Misbehave(L"/blob.bin", L"close");
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(1000), path, 512, true));
    EXPECT_EQ(FileSize(path), -1);
    Misbehave(L"/blob.bin", L"off");

    // A server error's page never becomes the file, Content-Length or not.
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(ovn::portal::ServiceUrl(L"/update/pkg/error.exe"), path, 512, true));
    EXPECT_EQ(FileSize(path), -1);
    EXPECT_EQ(Occurrences(Get(L"/__requests"), "GET /update/pkg/error.exe"), 1u);
    DeleteFileW(path.c_str());
}

// Redirects are followed by the helper itself, and every hop must pass the same
// test as the first address: a hop to another listed host is followed; one to
// the off-list listener is refused before it is contacted (also for an address
// of our own that no allow-list test was asked for); a loop ends.
TEST_F(HttpHelper, RedirectsAreFollowedOnlyOnTheList) {
    const std::wstring path = TempFile(L"ovn_http_redirect.bin");
    wchar_t out[1024] = {};

    Misbehave(L"/blob.bin", L"redirect");
    EXPECT_TRUE(ovn::downloads::HttpGetToFile(Blob(3000), path, 512, true));
    EXPECT_EQ(FileSize(path), 3000);
    EXPECT_TRUE(ovn::downloads::HttpGetToMemory(Blob(300), out));
    EXPECT_EQ(out[299], L'+');
    std::string record = Get(L"/__requests?clear=1");
    EXPECT_EQ(Occurrences(record, "GET /__via/blob.bin?size=3000"), 1u);
    EXPECT_EQ(Occurrences(record, "GET /__via/blob.bin?size=300\n"), 1u);

    DeleteFileW(path.c_str());
    Misbehave(L"/blob.bin", L"redirect-offlist");
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(3000), path, 512, true));
    EXPECT_EQ(FileSize(path), -1);
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(3000), path, 512, false));
    EXPECT_EQ(FileSize(path), -1);
    wchar_t refused[1024] = {};
    EXPECT_FALSE(ovn::downloads::HttpGetToMemory(Blob(300), refused));
    EXPECT_EQ(refused[0], L'\0');
    record = Get(L"/__requests?clear=1");
    EXPECT_EQ(Occurrences(record, "GET /blob.bin"), 3u);
    EXPECT_EQ(Occurrences(record, "OFFLIST"), 0u) << "the off-list host was asked";

    Misbehave(L"/blob.bin", L"redirect-loop");
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(3000), path, 512, true));
    EXPECT_EQ(FileSize(path), -1);
    // The first request and a few hops, not one more.
    EXPECT_EQ(Occurrences(Get(L"/__requests?clear=1"), "GET /blob.bin"), 1u + ovn::http::kMaxRedirects);
}

// A body that goes on past its Content-Length is no success, and the bytes past
// the length are never written.
TEST_F(HttpHelper, BodyLongerThanAnnouncedFails) {
    const std::wstring path = TempFile(L"ovn_http_long.bin");
    Misbehave(L"/blob.bin", L"long");
    EXPECT_FALSE(ovn::downloads::HttpGetToFile(Blob(3000), path, 512, true));
    EXPECT_EQ(FileSize(path), 2900);
    wchar_t out[1024] = {};
    EXPECT_FALSE(ovn::downloads::HttpGetToMemory(Blob(600), out));
    DeleteFileW(path.c_str());
}

TEST_F(HttpHelper, OffListHostIsNeverContacted) {
    // A listener on another loopback address stands for the stranger's host.
    nettest::LoopbackListener listener(0x7F000002);  // 127.0.0.2
    ASSERT_TRUE(listener.ok());
    const std::wstring stranger = L"http://127.0.0.2:" + std::to_wstring(listener.port()) + L"/x.exe?h=127.0.0.1";
    const std::wstring path = TempFile(L"ovn_http_offlist.bin");

    EXPECT_FALSE(ovn::downloads::HttpGetToFile(stranger, path, 512, true));
    EXPECT_EQ(FileSize(path), -1);
    // The download is over when the call returns: a connection it made would be
    // waiting at the listener now.
    EXPECT_FALSE(listener.Pending(0)) << "the stranger's host was contacted";
    // The listener does see a connection that is made.
    SOCKET probe = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(connect(probe, reinterpret_cast<const sockaddr*>(&listener.address()), sizeof(sockaddr_in)), 0);
    EXPECT_TRUE(listener.Pending(5));
    closesocket(probe);
}

TEST_F(HttpHelper, MemoryBodiesUnderOneKilobyte) {
    wchar_t out[1024] = {};
    EXPECT_TRUE(ovn::downloads::HttpGetToMemory(Blob(1023), out));
    EXPECT_EQ(out[1], L'\x01');
    wchar_t refused[1024] = {};
    EXPECT_FALSE(ovn::downloads::HttpGetToMemory(Blob(1024), refused));
    Misbehave(L"/blob.bin", L"slow", 100);
    wchar_t slow[1024] = {};
    EXPECT_TRUE(ovn::downloads::HttpGetToMemory(Blob(300), slow));
    EXPECT_EQ(slow[299], L'+');  // byte 299 of the pattern is 43
}

TEST_F(HttpHelper, PingSendsOnlyPlainHttp) {
    EXPECT_TRUE(ovn::downloads::HttpSendOnly(L"HTTP://" + ovn::portal::ServiceHost() + L"/active.htm?tag=ovn&count=7"));
    EXPECT_EQ(GetLastError(), 0u);
    SetLastError(1234);
    EXPECT_FALSE(ovn::downloads::HttpSendOnly(L"https://" + ovn::portal::ServiceHost() + L"/active.htm?tag=ovn&count=8"));
    EXPECT_EQ(GetLastError(), 0u);
    const std::string record = Get(L"/__requests");
    EXPECT_EQ(Occurrences(record, "GET /active.htm?tag=ovn&count=7"), 1u);
    EXPECT_EQ(Occurrences(record, "count=8"), 0u);
    // A refused connection reports its error.
    EXPECT_FALSE(ovn::downloads::HttpSendOnly(L"http://127.0.0.1:1/active.htm"));
    EXPECT_NE(GetLastError(), 0u);
}

// The one client's options per caller: a page follows a redirect as a browser
// does and learns where it ended; the ping follows none; a cancelled record
// takes no handle, so nothing is asked.
TEST_F(HttpHelper, ClientRedirectOptions) {
    Misbehave(L"/blob.bin", L"redirect");
    ovn::http::RequestOptions page;
    page.redirects = ovn::http::Redirects::Browser;
    {
        ovn::http::Exchange exchange(page);
        ASSERT_TRUE(exchange.Send(Blob(300)));
        EXPECT_EQ(exchange.Status(), 200u);
        EXPECT_NE(exchange.FinalUrl().find(L"/__via/blob.bin?size=300"), std::wstring::npos) << exchange.FinalUrl().c_str();
        std::string body;
        auto keep = [&](const char* bytes, std::size_t n, std::uint64_t) {
            body.append(bytes, n);
            return true;
        };
        const ovn::http::BodyRead read = exchange.ReadBody(300, 64, 64, true, keep);
        EXPECT_FALSE(read.broken);
        EXPECT_FALSE(read.more);
        EXPECT_EQ(read.received, 300u);
        EXPECT_EQ(body.size(), 300u);
    }
    ovn::http::RequestOptions ping;
    ping.redirects = ovn::http::Redirects::None;
    {
        ovn::http::Exchange exchange(ping);
        ASSERT_TRUE(exchange.Send(Blob(301)));
        EXPECT_EQ(exchange.Status(), 302u);
    }
    std::string record = Get(L"/__requests?clear=1");
    EXPECT_EQ(Occurrences(record, "GET /__via/blob.bin?size=300\n"), 1u);
    EXPECT_EQ(Occurrences(record, "size=301"), 1u) << "the ping's redirect was followed";

    ovn::http::DownloadHandles cancelled;
    cancelled.Cancel();
    ovn::http::Exchange exchange(ping, &cancelled);
    EXPECT_FALSE(exchange.Send(Blob(302)));
    EXPECT_EQ(exchange.Error(), static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED));
    EXPECT_EQ(Occurrences(Get(L"/__requests"), "size=302"), 0u);
}

// An overlong page is read to its announced length, and the probe after it
// tells that more follows.
TEST_F(HttpHelper, ClientProbesPastTheAnnouncedLength) {
    Misbehave(L"/blob.bin", L"long");
    ovn::http::Exchange exchange(ovn::http::RequestOptions{});
    ASSERT_TRUE(exchange.Send(Blob(3000)));
    ASSERT_EQ(exchange.ContentLength(), 2900u);
    std::uint64_t seen = 0;
    const ovn::http::BodyRead read = exchange.ReadBody(2900, 512, 4096, true, [&](const char*, std::size_t n, std::uint64_t total) {
        seen += n;
        return total == seen;
    });
    EXPECT_EQ(read.received, 2900u);
    EXPECT_TRUE(read.more);
    EXPECT_EQ(ovn::http::JudgeBody(read.received, 2900, read.more), ovn::http::BodyEnd::Overlong);
}

struct Download {
    std::wstring url, path;
    ovn::downloads::DownloadHandles handles;
    bool result = true;
};

DWORD WINAPI DownloadWorker(void* p) {
    auto* d = static_cast<Download*>(p);
    d->result = ovn::downloads::HttpGetToFile(d->url, d->path, 512, true, nullptr, &d->handles);
    return 0;
}

TEST_F(HttpHelper, CancelClosesTheHandlesAndTheWorkerEnds) {
    Download d;
    d.url = Blob(200000);
    d.path = TempFile(L"ovn_http_cancel.bin");
    Misbehave(L"/blob.bin", L"slow", 100);  // 200 s if left alone
    HANDLE worker = CreateThread(nullptr, 0, &DownloadWorker, &d, 0, nullptr);
    ASSERT_NE(worker, nullptr);
    ASSERT_TRUE(webtest::PumpUntil([&] { return FileSize(d.path) > 0; }, 15000)) << "the download never began";
    d.handles.Cancel();
    // The worker ends on its own once its handles are closed (the bound only
    // keeps a broken cancel from hanging the run).
    EXPECT_EQ(WaitForSingleObject(worker, 60000), WAIT_OBJECT_0);
    CloseHandle(worker);
    EXPECT_FALSE(d.result);
    EXPECT_GT(FileSize(d.path), 0);  // the part written stays for the caller
    EXPECT_LT(FileSize(d.path), 200000);
    DeleteFileW(d.path.c_str());
}

}  // namespace
