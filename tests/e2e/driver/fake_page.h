// A game page played by the test itself: a frame window of this process that
// asks the launcher to adopt it, claims a tab label and records what the
// launcher posts to it. The launcher started no such page: to it this is a
// stranger, to be refused and left alone.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

struct Received {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class FakePage {
public:
    FakePage();
    ~FakePage();
    FakePage(const FakePage&) = delete;
    FakePage& operator=(const FakePage&) = delete;

    HWND hwnd() const { return m_hwnd; }
    // Sends the label claim; returns the launcher's answer (1 accepted, 0 refused).
    static LRESULT Claim(HWND launcher, const std::wstring& label);
    // Raw claim with a given byte count, for the launcher's bounds checks.
    static LRESULT ClaimBytes(HWND launcher, const void* data, DWORD cbData);
    // Posts the adoption request, becomes the launcher's child and shows itself
    // in the page area, as a game page does after its first navigation.
    void Adopt(HWND launcher, bool asHall = false);

    // Messages the launcher posted to this page (timer ticks left out unless asked).
    std::vector<Received> Log(bool withSoundTicks = false) const;
    bool Got(UINT msg, WPARAM wParam, LPARAM lParam) const;
    int Count(UINT msg) const;

private:
    static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
    HWND m_hwnd = nullptr;
    std::vector<Received> m_log;
};

}  // namespace e2e
