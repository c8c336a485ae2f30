// Helpers for the tests of the small dialogs: a look at a window for the eye, and
// an answerer for a plain dialog that opens modally on this thread.
#pragma once
#include <windows.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "skin/gdi.h"
#include "skin_test_support.h"

namespace settingstest {

// Saves what a window shows as a PNG in the folder OVN_TEST_SHOTS names, if any.
inline void SaveShot(HWND window, const wchar_t* name) {
    wchar_t dir[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"OVN_TEST_SHOTS", dir, MAX_PATH))
        return;
    const skintest::Pixels shot = skintest::CaptureWindow(window);
    std::vector<skintest::Rgba> rgba;
    for (std::uint32_t px : shot.data)
        rgba.push_back({static_cast<std::uint8_t>(px >> 16), static_cast<std::uint8_t>(px >> 8),
                        static_cast<std::uint8_t>(px), 255});
    const std::vector<std::uint8_t> png = skintest::EncodePngRgba(shot.w, shot.h, rgba);
    std::ofstream((std::wstring(dir) + L"\\" + name).c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
}

// Runs `answer` once on the first visible dialog titled `title` that opens on
// this thread. Works from a thread timer, so it runs inside the dialog's own
// modal loop.
class DialogAnswerer {
public:
    DialogAnswerer(std::wstring title, std::function<void(HWND)> answer)
        : m_title(std::move(title)), m_answer(std::move(answer)) {
        s_current = this;
        m_timer = SetTimer(nullptr, 0, 50, &DialogAnswerer::OnTimer);
    }
    ~DialogAnswerer() {
        KillTimer(nullptr, m_timer);
        if (s_current == this)
            s_current = nullptr;
    }
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;
    bool Answered() const { return m_answered; }

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD) {
        DialogAnswerer* self = s_current;
        if (!self || self->m_answered)
            return;
        struct Find {
            const std::wstring* title;
            HWND found = nullptr;
        } find{&self->m_title};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND h, LPARAM lp) CALLBACK -> BOOL {
                auto* f = reinterpret_cast<Find*>(lp);
                wchar_t text[64] = {};
                GetWindowTextW(h, text, 64);
                if (IsWindowVisible(h) && *f->title == text) {
                    f->found = h;
                    return FALSE;
                }
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&find));
        if (!find.found)
            return;
        self->m_answered = true;
        self->m_answer(find.found);
    }

    static inline DialogAnswerer* s_current = nullptr;
    std::wstring m_title;
    std::function<void(HWND)> m_answer;
    UINT_PTR m_timer = 0;
    bool m_answered = false;
};

}  // namespace settingstest
