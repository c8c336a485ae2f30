// Usage counters in Statistic.ini and the activity pings that report them.
#pragma once
#include <string>

#include <windows.h>

namespace ovn {

class CKelvor3App;

// Statistic.ini in GameLoginFolder: the counters live there whatever copy runs.
std::wstring CounterFile();

// Raises key in section "Ovn" of the counter file; returns the new count (the
// count is returned even when the file cannot be written).
unsigned BumpCounter(const wchar_t* key);

// Hands url to a ping thread of its own; returns 1 once that thread has copied
// it (the thread then sets the app's PingDoneEvent when the request is over), 0
// when no thread started.
int SendPing(const wchar_t* url, CKelvor3App& app);
// The same with the two events given: copiedEvent is set once the thread has its
// copy (and reset again before the call returns), doneEvent when the request is
// over. Both are manual-reset events. The thread works on its own copy of the URL
// and its own handles of the events, so the caller may close its handles (or
// end its main function) while the request is under way.
int SendPing(const wchar_t* url, HANDLE copiedEvent, HANDLE doneEvent);

}  // namespace ovn
