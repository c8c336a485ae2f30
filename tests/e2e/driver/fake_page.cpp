#include "tests/e2e/driver/fake_page.h"

#include <algorithm>

#include "common/page_hosting.h"
#include "common/protocol.h"

namespace e2e {

namespace {
constexpr wchar_t kClass[] = L"OvnE2eFakePage";
}

FakePage::FakePage() {
    WNDCLASSW wc{};
    wc.lpfnWndProc = &FakePage::Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = kClass;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    RegisterClassW(&wc);  // a second registration fails harmlessly
    m_hwnd = CreateWindowExW(0, kClass, L"QuenraOrvane", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), this);
}

FakePage::~FakePage() {
    if (IsWindow(m_hwnd))
        DestroyWindow(m_hwnd);
}

LRESULT FakePage::Claim(HWND launcher, const std::wstring& label) {
    return ClaimBytes(launcher, label.c_str(), static_cast<DWORD>((label.size() + 1) * sizeof(wchar_t)));
}

LRESULT FakePage::ClaimBytes(HWND launcher, const void* data, DWORD cbData) {
    COPYDATASTRUCT cds{0, cbData, const_cast<void*>(data)};
    DWORD_PTR result = 0;
    SendMessageTimeoutW(launcher, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&cds), SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

void FakePage::Adopt(HWND launcher, bool asHall) {
    PostMessageW(launcher, ovn::kMsgAdoptFrame, reinterpret_cast<WPARAM>(m_hwnd), asHall ? 1 : 0);
    // Held the way the launcher holds its pages here. A window must be a child
    // before it can be given a parent of another process.
    if (ovn::PageHostingHere() == ovn::PageHosting::Owned) {
        SetWindowLongPtrW(m_hwnd, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(launcher));
    } else {
        SetWindowLongW(m_hwnd, GWL_STYLE, (GetWindowLongW(m_hwnd, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
        SetParent(m_hwnd, launcher);
    }
    RECT rc;
    GetClientRect(launcher, &rc);
    MoveWindow(m_hwnd, 4, 30, rc.right - 8, rc.bottom - 34, FALSE);
    ShowWindow(m_hwnd, SW_SHOW);
}

std::vector<Received> FakePage::Log(bool withSoundTicks) const {
    std::vector<Received> out;
    for (const auto& r : m_log)
        if (withSoundTicks || r.msg != ovn::kMsgSoundState)
            out.push_back(r);
    return out;
}

bool FakePage::Got(UINT msg, WPARAM wParam, LPARAM lParam) const {
    return std::any_of(m_log.begin(), m_log.end(),
                       [&](const Received& r) { return r.msg == msg && r.wParam == wParam && r.lParam == lParam; });
}

int FakePage::Count(UINT msg) const {
    return static_cast<int>(std::count_if(m_log.begin(), m_log.end(), [&](const Received& r) { return r.msg == msg; }));
}

LRESULT CALLBACK FakePage::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(cs->lpCreateParams));
    }
    auto* self = reinterpret_cast<FakePage*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    bool fromLauncher = msg == ovn::kMsgSoundState || msg == ovn::kMsgReloadHotkeys || msg == WM_KEYDOWN ||
                        msg == WM_CHAR || msg == WM_SYSCOMMAND;
    if (self && fromLauncher) {
        self->m_log.push_back({msg, wParam, lParam});
        if (msg == WM_SYSCOMMAND)
            return 0;  // recorded; the test decides when the page goes
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace e2e
