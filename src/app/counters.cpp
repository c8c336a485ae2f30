#include "app/counters.h"

#include <windows.h>

#include "app/install_rules.h"
#include "app/kelvor3_app.h"
#include "common/log.h"
#include "net/http.h"
#include "process/process.h"

namespace ovn {

namespace {

// What SendPing hands the thread; lives on SendPing's stack until the thread has
// set PingCopiedEvent.
struct PingHandOver {
    const wchar_t* url;
    CKelvor3App* app;
};

constexpr std::size_t kUrlMax = 511;

DWORD WINAPI PingThread(void* param) {
    auto* handOver = static_cast<PingHandOver*>(param);
    std::wstring url(handOver->url);
    CKelvor3App* app = handOver->app;
    ::SetEvent(app->PingCopiedEvent());
    net::HttpSendOnly(url);  // nothing is retried or reported to the player
    ::SetEvent(app->PingDoneEvent());
    return 0;
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
    if (!url || wcslen(url) > kUrlMax || !app.PingCopiedEvent() || !app.PingDoneEvent())
        return 0;
    PingHandOver handOver{url, &app};
    HANDLE thread = ::CreateThread(nullptr, 0, &PingThread, &handOver, 0, nullptr);
    if (!thread) {
        LogFailure(L"no ping thread", ::GetLastError());
        return 0;
    }
    app.NotePingStarted();
    ::WaitForSingleObject(app.PingCopiedEvent(), INFINITE);
    ::ResetEvent(app.PingCopiedEvent());
    ::CloseHandle(thread);
    return 1;
}

}  // namespace ovn
