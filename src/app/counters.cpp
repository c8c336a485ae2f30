#include "app/counters.h"

#include <windows.h>

#include <memory>

#include "app/install_rules.h"
#include "app/kelvor3_app.h"
#include "common/log.h"
#include "framework/handles.h"
#include "downloads/http.h"
#include "process/process.h"

namespace ovn {

namespace {

// What the ping thread owns: its copy of the URL and its own handles of the two
// events. The sender may return, close its handles and even end its main
// function while the request is still under way; the thread touches nothing of
// the sender's.
struct PingJob {
    std::wstring url;
    fw::Handle copied, done;
};

constexpr std::size_t kUrlMax = 511;

DWORD WINAPI PingThread(void* param) {
    std::unique_ptr<PingJob> job(static_cast<PingJob*>(param));
    ::SetEvent(job->copied.get());
    downloads::HttpSendOnly(job->url);  // nothing is retried or reported to the player
    ::SetEvent(job->done.get());
    return 0;
}

// This process's own second handle of event (null on failure).
HANDLE Duplicate(HANDLE event) {
    HANDLE copy = nullptr;
    if (!::DuplicateHandle(::GetCurrentProcess(), event, ::GetCurrentProcess(), &copy, 0, FALSE,
                           DUPLICATE_SAME_ACCESS))
        return nullptr;
    return copy;
}

}  // namespace

std::wstring CounterFile() {
    std::wstring folder = GameLoginFolder();
    return folder.empty() ? std::wstring() : folder + L"\\Statistic.ini";
}

unsigned BumpCounter(const wchar_t* key) {
    std::wstring file = CounterFile();
    wchar_t text[32] = {};
    if (!file.empty())
        ::GetPrivateProfileStringW(L"Ovn", key, L"0", text, 32, file.c_str());
    const unsigned next = NextCounterValue(text);
    const std::wstring value = std::to_wstring(next);
    if (file.empty() || !::WritePrivateProfileStringW(L"Ovn", key, value.c_str(), file.c_str()))
        LogFailureF(::GetLastError(), L"counter %ls not written to %ls", key, file.c_str());
    return next;
}

int SendPing(const wchar_t* url, CKelvor3App& app) {
    if (!SendPing(url, app.PingCopiedEvent(), app.PingDoneEvent()))
        return 0;
    app.NotePingStarted();
    return 1;
}

int SendPing(const wchar_t* url, HANDLE copiedEvent, HANDLE doneEvent) {
    if (!url || wcslen(url) > kUrlMax || !copiedEvent || !doneEvent)
        return 0;
    auto job = std::make_unique<PingJob>();
    job->url = url;
    job->copied.reset(Duplicate(copiedEvent));
    job->done.reset(Duplicate(doneEvent));
    if (!job->copied || !job->done) {
        LogFailure(L"no handles for the ping thread", ::GetLastError());
        return 0;
    }
    fw::Handle thread(::CreateThread(nullptr, 0, &PingThread, job.get(), 0, nullptr));
    if (!thread) {
        LogFailure(L"no ping thread", ::GetLastError());
        return 0;
    }
    job.release();  // the thread's now
    ::WaitForSingleObject(copiedEvent, INFINITE);
    ::ResetEvent(copiedEvent);
    return 1;
}

}  // namespace ovn
