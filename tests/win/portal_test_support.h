// Talking to the local portal from a Win32 test, outside the program's own HTTP
// code: its control endpoints (faults, the request record) and plain counts in
// what it answers.
#pragma once
#include <windows.h>
#include <wininet.h>

#include <cstddef>
#include <string>

#include "common/portal.h"

namespace wintest {

// The body the local portal answers a GET of pathAndQuery with ("" when none
// came); *answered says whether a request could be made at all.
inline std::string PortalGet(const std::wstring& pathAndQuery, bool* answered = nullptr) {
    const std::wstring url = ovn::portal::ServiceUrl(pathAndQuery);
    HINTERNET session = InternetOpenW(L"ovn-test", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    HINTERNET request =
        session ? InternetOpenUrlW(session, url.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0) : nullptr;
    if (answered)
        *answered = request != nullptr;
    std::string text;
    char buf[4096];
    DWORD read = 0;
    while (request && InternetReadFile(request, buf, sizeof(buf), &read) && read)
        text.append(buf, read);
    if (request)
        InternetCloseHandle(request);
    if (session)
        InternetCloseHandle(session);
    return text;
}

// How often `what` stands in text (overlapping ones counted).
inline std::size_t Occurrences(const std::string& text, const std::string& what) {
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

}  // namespace wintest
