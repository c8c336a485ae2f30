// The least two processes can do to show what a player waits for at start: the
// benchmark's fair floor for the launcher's start and memory.
//   minimal_login.exe URL          A: a 1 x 1 top-level window (as the launcher
//                                  is while its first login runs), then starts B
//   minimal_login.exe HWND URL     B: starts GDI+, decodes the login artwork (the
//                                  same PNG bytes, from the same resources) into a
//                                  layered window with per-pixel alpha, fetches the
//                                  login page at URL with WinINet and shows a second
//                                  window over the artwork with the page's title
//                                  drawn in the font the launcher's page draws it in
// Both record the same start-up marks as the launcher does. B ends when A does.
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>
#include <wininet.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "floor_window.h"
#include "framework/start_marks.h"
#include "res/skin_ids.h"

namespace {

namespace gp = Gdiplus::DllExports;

constexpr wchar_t kClass[] = L"OvnBenchMinimalLogin";
constexpr COLORREF kKey = RGB(254, 254, 254);  // the login page's see-through colour

HWND g_page = nullptr;
std::wstring g_title;
HFONT g_font = nullptr;

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (hwnd == g_page) {
            RECT rc;
            GetClientRect(hwnd, &rc);
            HBRUSH key = CreateSolidBrush(kKey);
            FillRect(dc, &rc, key);
            DeleteObject(key);
            HGDIOBJ old = SelectObject(dc, g_font);
            SetBkMode(dc, TRANSPARENT);
            TextOutW(dc, 8, 8, g_title.c_str(), static_cast<int>(g_title.size()));
            SelectObject(dc, old);
        }
        EndPaint(hwnd, &ps);
        if (hwnd == g_page)
            fw::RecordStartMark(fw::StartMark::LoginPainted);
        return 0;
    }
    case WM_DESTROY:
        if (!GetWindow(hwnd, GW_OWNER))
            PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

bool RegisterOnce() { return bench::RegisterFloorClass(kClass, Proc, nullptr); }

int RunParent(const wchar_t* url) {
    fw::OpenStartMarks(GetCurrentProcessId());
    HWND wnd = CreateWindowExW(0, kClass, L"OvnBenchMinimalLogin", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!wnd)
        return 1;
    ShowWindow(wnd, SW_SHOWNORMAL);
    fw::RecordStartMark(fw::StartMark::LauncherWindow);

    wchar_t self[MAX_PATH];
    DWORD len = GetModuleFileNameW(nullptr, self, MAX_PATH);
    if (len == 0 || len >= MAX_PATH)
        return 1;
    std::wstring line = L"\"" + std::wstring(self, len) + L"\" " +
                        std::to_wstring(static_cast<long>(reinterpret_cast<INT_PTR>(wnd))) + L" " + url;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 1;
    fw::RecordStartMark(fw::StartMark::PageProcessStart);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        DispatchMessageW(&msg);
    return 0;
}

// The login artwork as premultiplied 32-bit top-down pixels in a DIB section.
HBITMAP LoadArtwork(int& w, int& h) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(IDB_LOGIN_BK), L"PNG");
    DWORD size = res ? SizeofResource(module, res) : 0;
    const void* bytes = res ? LockResource(LoadResource(module, res)) : nullptr;
    if (!bytes || !size)
        return nullptr;
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!copy)
        return nullptr;
    memcpy(GlobalLock(copy), bytes, size);
    GlobalUnlock(copy);
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(copy, TRUE, &stream))) {
        GlobalFree(copy);
        return nullptr;
    }
    Gdiplus::GpBitmap* image = nullptr;
    HBITMAP dib = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream, &image) == Gdiplus::Ok) {
        UINT iw = 0, ih = 0;
        gp::GdipGetImageWidth(image, &iw);
        gp::GdipGetImageHeight(image, &ih);
        w = static_cast<int>(iw);
        h = static_cast<int>(ih);
        BITMAPINFO bi{};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        dib = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        Gdiplus::GpRect all(0, 0, w, h);
        Gdiplus::BitmapData data{};
        data.Width = iw;
        data.Height = ih;
        data.Stride = w * 4;
        data.PixelFormat = PixelFormat32bppPARGB;
        data.Scan0 = bits;
        if (dib && gp::GdipBitmapLockBits(image, &all, Gdiplus::ImageLockModeRead | Gdiplus::ImageLockModeUserInputBuf,
                                          PixelFormat32bppPARGB, &data) == Gdiplus::Ok)
            gp::GdipBitmapUnlockBits(image, &data);
        gp::GdipDisposeImage(image);
    }
    stream->Release();
    return dib;
}

std::string Fetch(const wchar_t* url) {
    std::string body;
    HINTERNET net = InternetOpenW(L"OvnBenchMinimalLogin", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET req = net ? InternetOpenUrlW(net, url, nullptr, 0, INTERNET_FLAG_RELOAD, 0) : nullptr;
    char buf[16384];
    DWORD got = 0;
    while (req && InternetReadFile(req, buf, sizeof buf, &got) && got)
        body.append(buf, got);
    if (req)
        InternetCloseHandle(req);
    if (net)
        InternetCloseHandle(net);
    return body;
}

std::wstring TitleOf(const std::string& html) {
    size_t open = html.find("<title>"), close = html.find("</title>");
    if (open == std::string::npos || close == std::string::npos || close < open + 7)
        return {};
    std::string utf8 = html.substr(open + 7, close - open - 7);
    std::wstring out(utf8.size(), L'\0');
    out.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), static_cast<int>(out.size()))));
    return out;
}

// The font the launcher's page draws a title in: the message font, bold, a third larger.
HFONT TitleFont() {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof ncm;
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
    LOGFONTW lf = ncm.lfMessageFont;
    lf.lfWeight = FW_BOLD;
    lf.lfHeight = lf.lfHeight < 0 ? lf.lfHeight * 4 / 3 : -16;
    return CreateFontIndirectW(&lf);
}

int RunChild(HWND parent, const wchar_t* url) {
    DWORD parentPid = 0;
    GetWindowThreadProcessId(parent, &parentPid);
    fw::OpenStartMarks(parentPid);
    HANDLE parentProcess = OpenProcess(SYNCHRONIZE, FALSE, parentPid);
    if (!parentProcess)
        return 1;

    Gdiplus::GdiplusStartupInput input;
    ULONG_PTR token = 0;
    if (Gdiplus::GdiplusStartup(&token, &input, nullptr) != Gdiplus::Ok)
        return 1;
    fw::RecordStartMark(fw::StartMark::AppReady);

    int w = 0, h = 0;
    HBITMAP art = LoadArtwork(w, h);
    if (!art)
        return 1;
    RECT wa{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &wa, 0);
    POINT at{wa.left + (wa.right - wa.left - w) / 2, wa.top + (wa.bottom - wa.top - h) / 2};
    HWND artwork = CreateWindowExW(WS_EX_LAYERED, kClass, L"OvnBenchMinimalLogin", WS_POPUP, at.x, at.y, w, h,
                                   parent, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!artwork)
        return 1;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, art);
    SIZE size{w, h};
    POINT origin{0, 0};
    BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
    UpdateLayeredWindow(artwork, screen, &at, &size, memory, &origin, 0, &blend, ULW_ALPHA);
    SelectObject(memory, old);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    ShowWindow(artwork, SW_SHOWNOACTIVATE);
    fw::RecordStartMark(fw::StartMark::Artwork);

    const std::string html = Fetch(url);
    fw::RecordStartMark(fw::StartMark::LoginFetched);
    g_title = TitleOf(html);
    g_font = TitleFont();
    g_page = CreateWindowExW(WS_EX_LAYERED | WS_EX_TOOLWINDOW, kClass, g_title.c_str(), WS_POPUP, at.x, at.y, w, h,
                             artwork, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!g_page)
        return 1;
    SetLayeredWindowAttributes(g_page, kKey, 0, LWA_COLORKEY);
    fw::RecordStartMark(fw::StartMark::LoginLaidOut);
    ShowWindow(g_page, SW_SHOW);
    fw::RecordStartMark(fw::StartMark::LoginShown);

    // Waiting on the parent process rather than polling its window: the floor
    // costs no CPU while it idles.
    for (;;) {
        DWORD r = MsgWaitForMultipleObjects(1, &parentProcess, FALSE, INFINITE, QS_ALLINPUT);
        if (r != WAIT_OBJECT_0 + 1)
            break;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    CloseHandle(parentProcess);
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR cmdLine, int) {
    fw::NoteEntryPoint();
    if (!RegisterOnce())
        return 1;
    while (*cmdLine && iswspace(*cmdLine))
        ++cmdLine;
    wchar_t* end = nullptr;
    long value = wcstol(cmdLine, &end, 10);
    if (end == cmdLine)
        return *cmdLine ? RunParent(cmdLine) : 2;
    while (*end && iswspace(*end))
        ++end;
    return RunChild(reinterpret_cast<HWND>(static_cast<INT_PTR>(value)), end);
}
