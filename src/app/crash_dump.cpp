#include "app/crash_dump.h"

#include <dbghelp.h>

#include "app/crash_dump_path.h"
#include "app/startup.h"
#include "common/log.h"

#include "framework/handles.h"

namespace ovn {

bool DumpWritten = false;

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Richest first; older DbgHelp versions refuse the newer flags.
constexpr MINIDUMP_TYPE kDumpTypes[] = {static_cast<MINIDUMP_TYPE>(0x1A25), static_cast<MINIDUMP_TYPE>(0x225),
                                        MiniDumpNormal};

}  // namespace

void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* exception) {
    if (!exception) {
        // No exception at hand: describe the calling thread as a breakpoint here
        // and carry on afterwards (our compiler has no structured handlers to
        // raise and catch a real one).
        CONTEXT context = {};
        ::RtlCaptureContext(&context);
        EXCEPTION_RECORD record = {};
        record.ExceptionCode = EXCEPTION_BREAKPOINT;
#if defined(_M_X64) || defined(__x86_64__)
        record.ExceptionAddress = reinterpret_cast<void*>(context.Rip);
#else
        record.ExceptionAddress = reinterpret_cast<void*>(context.Eip);
#endif
        EXCEPTION_POINTERS pointers = {&record, &context};
        WriteCrashDump(file, &pointers);
        return;
    }
    // Only the system's own copy: a DbgHelp.dll beside the program is not ours.
    fw::Library dbghelp(::LoadLibraryExW(L"DbgHelp.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!dbghelp && ::GetLastError() == ERROR_INVALID_PARAMETER) {
        // A loader without the search flags: name the system folder's copy.
        wchar_t path[MAX_PATH] = {};
        UINT n = ::GetSystemDirectoryW(path, MAX_PATH - 16);
        if (n > 0 && n < MAX_PATH - 16) {
            ::lstrcatW(path, L"\\DbgHelp.dll");
            dbghelp.reset(::LoadLibraryW(path));
        }
    }
    if (!dbghelp) {
        LogFailure(L"no crash dump: DbgHelp.dll does not load", ::GetLastError());
        return;
    }
    auto writeDump =
        reinterpret_cast<MiniDumpWriteDumpFn>(reinterpret_cast<void*>(::GetProcAddress(dbghelp.get(), "MiniDumpWriteDump")));
    if (!writeDump) {
        LogFailure(L"no crash dump: DbgHelp.dll has no MiniDumpWriteDump", ::GetLastError());
        return;
    }
    MINIDUMP_EXCEPTION_INFORMATION info = {};
    info.ThreadId = ::GetCurrentThreadId();
    info.ExceptionPointers = exception;
    info.ClientPointers = TRUE;
    for (MINIDUMP_TYPE type : kDumpTypes) {
        if (writeDump(::GetCurrentProcess(), ::GetCurrentProcessId(), file, type, &info, nullptr, nullptr))
            return;
    }
    // MiniDumpWriteDump reports an HRESULT through the last error.
    LogFailure(L"no crash dump: every kind of dump was refused", ::GetLastError());
}

LONG WINAPI CrashFilter(EXCEPTION_POINTERS* exception) {
    if (DumpWritten)
        return EXCEPTION_EXECUTE_HANDLER;  // a second crash ends without the system's report
    const DWORD code = exception && exception->ExceptionRecord ? exception->ExceptionRecord->ExceptionCode : 0;
    LogFailure(L"unhandled exception", code);
    auto path = CrashDumpPath(ExecutablePath());
    if (!path) {
        LogFailure(L"no crash dump: the program's path has no extension to replace", 0);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    fw::FileHandle file(::CreateFileW(path->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    if (file)
        WriteCrashDump(file.get(), exception);
    else
        LogFailureF(::GetLastError(), L"no crash dump: cannot create %ls", path->c_str());
    file.reset();
    DumpWritten = true;
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace ovn
