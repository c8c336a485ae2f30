// Helpers for the keyboard and settings tests: another program that holds the
// focus and types key chords (ovn_key_sender.exe, built next to this test), and
// the Statistic.ini next to this test program, which the hotkeys are read from.
#pragma once
#include <windows.h>

#include <fstream>
#include <string>

#include "framework/handles.h"
#include "launcher_test_support.h"
#include "settings/hotkey_store.h"

namespace keystest {

constexpr UINT kTakeFocus = WM_APP + 1;
constexpr UINT kType = WM_APP + 2;
constexpr UINT kCount = WM_APP + 3;

class KeySender {
public:
    KeySender() {
        wchar_t self[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self, n);
        std::wstring cmd = L"\"" + path.substr(0, path.find_last_of(L'\\') + 1) + L"ovn_key_sender.exe\"";
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return;
        m_process.reset(pi.hProcess);
        CloseHandle(pi.hThread);
        struct Find {
            DWORD pid;
            HWND found = nullptr;
        } find{pi.dwProcessId};
        launchertest::PumpUntil([&] {
            EnumWindows(
                [](HWND w, LPARAM lp) CALLBACK -> BOOL {
                    auto* f = reinterpret_cast<Find*>(lp);
                    DWORD pid = 0;
                    wchar_t cls[32] = {};
                    GetWindowThreadProcessId(w, &pid);
                    GetClassNameW(w, cls, 32);
                    if (pid == f->pid && std::wstring(cls) == L"OvnKeySender") {
                        f->found = w;
                        return FALSE;
                    }
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&find));
            return find.found != nullptr;
        });
        m_hwnd = find.found;
    }
    ~KeySender() {
        if (m_hwnd)
            PostMessageW(m_hwnd, WM_CLOSE, 0, 0);
        if (m_process && WaitForSingleObject(m_process.get(), 5000) != WAIT_OBJECT_0)
            TerminateProcess(m_process.get(), 1);
    }
    KeySender(const KeySender&) = delete;
    KeySender& operator=(const KeySender&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // The sender's window is the foreground window, with the keyboard focus.
    bool TakeFocus() {
        PostMessageW(m_hwnd, kTakeFocus, 0, 0);
        SetForegroundWindow(m_hwnd);
        return launchertest::PumpUntil([&] { return GetForegroundWindow() == m_hwnd; }, 5000);
    }
    // Types the chord and returns once it is handed to the system.
    void Type(WORD vk, int mods) { PostMessageW(m_hwnd, kType, vk, mods); }
    // Key-downs of vk the sender's window got (pumping while it answers, so the
    // launcher's hook on this thread can run meanwhile).
    long Downs(WORD vk) const {
        DWORD_PTR result = 0;
        for (int attempt = 0; attempt < 50; ++attempt) {
            if (SendMessageTimeoutW(m_hwnd, kCount, vk, 0, SMTO_NORMAL, 200, &result))
                return static_cast<long>(result);
            launchertest::Pump(20);
        }
        return -1;
    }
    // Types the chord while the sender has the focus and waits until its window
    // got the key: every hook before it, the launcher's among them, has seen it;
    // then runs what the launcher posted itself meanwhile.
    bool TypeAndWait(WORD vk, int mods) {
        const long before = Downs(vk);
        Type(vk, mods);
        const bool got = launchertest::PumpUntil([&] { return Downs(vk) > before; }, 10000);
        launchertest::PumpUntilIdle();
        return got;
    }

private:
    fw::Handle m_process;
    HWND m_hwnd = nullptr;
};

// The hotkeys' Statistic.ini as this test program reads it: removed before and
// after each test, so that none inherits another's keys.
class ScopedHotkeyIni {
public:
    ScopedHotkeyIni() { DeleteFileW(Path().c_str()); }
    ~ScopedHotkeyIni() { DeleteFileW(Path().c_str()); }
    ScopedHotkeyIni(const ScopedHotkeyIni&) = delete;
    ScopedHotkeyIni& operator=(const ScopedHotkeyIni&) = delete;

    static std::wstring Path() { return ovn::settings::HotkeyIniPath(); }
    static bool Exists() { return GetFileAttributesW(Path().c_str()) != INVALID_FILE_ATTRIBUTES; }
    static std::wstring Value(const wchar_t* key) {
        wchar_t text[64] = {};
        GetPrivateProfileStringW(L"Ovn", key, L"<none>", text, 64, Path().c_str());
        return text;
    }
    static void Set(const wchar_t* key, const wchar_t* value) {
        WritePrivateProfileStringW(L"Ovn", key, value, Path().c_str());
    }
};

}  // namespace keystest
