// The activity ping's thread against a listener of the test's own: it owns what
// it uses, so the events its sender handed over may be closed (the launcher
// returns from its main function without waiting for its ping) and the handle
// values used again without the late thread touching what now lives there.
#include <winsock2.h>
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/counters.h"
#include "loopback_listener.h"

namespace {

std::set<DWORD> ThreadsOfThisProcess() {
    std::set<DWORD> ids;
    HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    THREADENTRY32 entry{sizeof entry};
    for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId())
            ids.insert(entry.th32ThreadID);
    CloseHandle(snap);
    return ids;
}

TEST(PingThread, OwnsItsEventsWhenTheSenderHasClosedThem) {
    nettest::LoopbackListener listener;
    ASSERT_TRUE(listener.ok());
    const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(listener.port()) + L"/active.htm?tag=ovn";

    HANDLE copied = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const std::set<DWORD> before = ThreadsOfThisProcess();
    ASSERT_EQ(ovn::SendPing(url.c_str(), copied, done), 1);
    // The ping is held at the listener until the test answers it.
    ASSERT_TRUE(listener.Pending(30)) << "the ping never connected";
    SOCKET peer = accept(listener.socket(), nullptr, nullptr);
    ASSERT_NE(peer, INVALID_SOCKET);
    std::vector<HANDLE> started;
    for (DWORD id : ThreadsOfThisProcess())
        if (!before.count(id))
            if (HANDLE t = OpenThread(SYNCHRONIZE, FALSE, id))
                started.push_back(t);
    ASSERT_FALSE(started.empty()) << "no ping thread";

    // The sender goes; the same handle values now name events of someone else.
    const HANDLE oldCopied = copied, oldDone = done;
    CloseHandle(copied);
    CloseHandle(done);
    HANDLE fresh[2] = {CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    const bool reused = (fresh[0] == oldDone || fresh[1] == oldDone) && (fresh[0] == oldCopied || fresh[1] == oldCopied);

    // The answer lets the ping finish; its thread ends.
    char request[2048];
    recv(peer, request, sizeof request, 0);
    const char answer[] = "HTTP/1.1 200 OK\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
    send(peer, answer, sizeof answer - 1, 0);
    closesocket(peer);
    EXPECT_EQ(WaitForMultipleObjects(static_cast<DWORD>(started.size()), started.data(), TRUE, 60000), WAIT_OBJECT_0)
        << "the ping thread did not end";
    for (HANDLE t : started)
        CloseHandle(t);

    ASSERT_TRUE(reused) << "the system gave the handle values to nothing new; nothing to show";
    EXPECT_EQ(WaitForSingleObject(fresh[0], 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the ping set an event not its own";
    EXPECT_EQ(WaitForSingleObject(fresh[1], 0), static_cast<DWORD>(WAIT_TIMEOUT)) << "the ping set an event not its own";
    CloseHandle(fresh[0]);
    CloseHandle(fresh[1]);
}

}  // namespace
