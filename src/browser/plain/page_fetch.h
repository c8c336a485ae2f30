// The plain engine's GETs, on the program's one HTTP client: a page (decoded to
// text) and a picture's bytes. Each runs on a worker thread of the view's.
#pragma once
#include <string>

#include "browser/plain/plain_browser.h"

namespace ovn::browser {

struct Fetched {
    bool ok = false;
    int status = 0;
    std::wstring finalUrl;
    std::string contentType;
    std::string body;
};

// One GET with the process's cookies (answers' cookies land in the process's
// store, shared with every other page), the cache (reload: not from it) and
// redirects followed as a browser does. The body ends at its announced length
// and at kMaxPageBytes; a body that goes on past its announced length, or
// breaks off, is no answer (logged).
Fetched FetchBytes(const std::wstring& url, bool reload, const wchar_t* accept);

// A page's GET, its body decoded to text.
FetchResult FetchPage(const std::wstring& url, bool reload);

}  // namespace ovn::browser
