// The downloads' GET procedures, on the program's one HTTP client with a fixed
// agent and header block, in three forms: the body to a file, the body into
// memory, and a request whose answer is not read (the activity ping).
// Synchronous: callers that must stay responsive call them on a worker thread
// of their own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/handles.h"
#include "framework/worker.h"
#include "http/http_client.h"

namespace ovn::downloads {

using http::DownloadHandles;

// The whole body of a 2xx answer to path: exactly the Content-Length announced
// (a body that goes on past it fails, and what follows the length is never
// written). The allow-list test runs first when asked; redirects are followed by
// the client, a few hops at most, each to an address on the portal's list. A
// failed download leaves what was written; the caller decides about the partial
// file. With keepOpen, the file is opened for reading too and handed back open
// after a success, so that nobody else has written to it or replaced it since
// (it is shared for reading only); after a failure it is closed.
// With progress, each new percentage is posted to the window that runs the job.
bool HttpGetToFile(const std::wstring& url, const std::wstring& path, std::size_t chunk, bool checkAllowList,
                   fw::WorkerTask* progress = nullptr, DownloadHandles* handles = nullptr,
                   fw::FileHandle* keepOpen = nullptr);

// A body under 1024 bytes, exactly as long as announced, converted from the ANSI
// code page into out (1024 characters, zero-filled by the caller; no terminator
// is written). Redirects as for HttpGetToFile. With handles, a Cancel on another
// thread ends it.
bool HttpGetToMemory(const std::wstring& url, wchar_t* out, bool checkAllowList = true,
                     DownloadHandles* handles = nullptr);

// Sends the GET and reads nothing (a redirect is not followed). The thread's last
// error afterwards is that of a failed connect or send, otherwise 0.
bool HttpSendOnly(const std::wstring& url);

// Against the build's portal allow-list.
bool IsPortalUrl(const std::wstring& url);

}  // namespace ovn::downloads
