#include "app/crash_dump.h"

#include <dbghelp.h>

#include "app/crash_dump_path.h"
#include "app/startup.h"
#include "common/log.h"

#include "framework/handles.h"
#include "process/process.h"

namespace ovn {

bool DumpWritten = false;

namespace {

using MiniDumpWriteDumpFn = BOOL(WINAPI*)(HANDLE, DWORD, HANDLE, MINIDUMP_TYPE, PMINIDUMP_EXCEPTION_INFORMATION,
                                          PMINIDUMP_USER_STREAM_INFORMATION, PMINIDUMP_CALLBACK_INFORMATION);

// Richest first; older DbgHelp versions refuse the newer flags.
constexpr MINIDUMP_TYPE kDumpTypes[] = {static_cast<MINIDUMP_TYPE>(0x1A25), static_cast<MINIDUMP_TYPE>(0x225),
                                        MiniDumpNormal};

// Set at start, read by the filter.
std::wstring g_dumpFolder;
std::wstring g_dumpRole = L"start";

// Deletes this program's oldest dumps in folder so that the new one makes
// kKeptCrashDumps.
void PruneDumps(const std::wstring& folder, const std::wstring& stem) {
    std::vector<DumpFile> found;
    WIN32_FIND_DATAW data{};
    HANDLE search = ::FindFirstFileW((folder + L"*.dmp").c_str(), &data);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            found.push_back({data.cFileName, (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                                 data.ftLastWriteTime.dwLowDateTime});
    } while (::FindNextFileW(search, &data));
    ::FindClose(search);
    for (const std::wstring& name : CrashDumpsToPrune(found, stem))
        if (!::DeleteFileW((folder + name).c_str()))
            LogFailureF(::GetLastError(), L"cannot delete the old crash dump %ls", name.c_str());
}

struct DumpJob {
    HANDLE file;
    EXCEPTION_POINTERS* exception;
    DWORD threadId;
};

DWORD WINAPI DumpThread(void* param) {
    const auto* job = static_cast<const DumpJob*>(param);
    WriteCrashDump(job->file, job->exception, job->threadId);
    return 0;
}

// Writes the dump from a thread of its own, for at most kCrashDumpTimeoutMs. The
// dump writer stops every other thread of the process while it reads them; one
// stopped while holding the loader or the heap lock would hang the writer, and
// with it this crashed process, for ever. False when the time ran out.
bool WriteCrashDumpBounded(HANDLE file, EXCEPTION_POINTERS* exception) {
    DumpJob job{file, exception, ::GetCurrentThreadId()};
    fw::Handle worker(::CreateThread(nullptr, 0, DumpThread, &job, 0, nullptr));
    if (!worker) {
        WriteCrashDump(file, exception);  // no thread to spare: write it here
        return true;
    }
    return ::WaitForSingleObject(worker.get(), kCrashDumpTimeoutMs) == WAIT_OBJECT_0;
}

}  // namespace

void PrepareCrashDumps(const wchar_t* role) {
    g_dumpFolder = PlayerFolderPath();
    if (role && *role)
        g_dumpRole = role;
}

void WriteCrashDump(HANDLE file, EXCEPTION_POINTERS* exception, DWORD threadId) {
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
    info.ThreadId = threadId ? threadId : ::GetCurrentThreadId();
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
    const std::wstring folder = g_dumpFolder.empty() ? PlayerFolderPath() : g_dumpFolder;
    const std::wstring stem = ProgramStem(ExecutablePath());
    auto path = CrashDumpPath(folder, stem, g_dumpRole, ::GetCurrentProcessId());
    if (!path) {
        LogFailure(L"no crash dump: no folder or name for it", 0);
        return EXCEPTION_CONTINUE_SEARCH;
    }
    if (!MakePlayerFolder(folder))
        return EXCEPTION_CONTINUE_SEARCH;
    PruneDumps(folder, stem);
    fw::FileHandle file(::CreateFileW(path->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                      nullptr));
    if (file) {
        if (!WriteCrashDumpBounded(file.get(), exception)) {
            LogFailure(L"no crash dump: the dump writer did not finish; the process ends without it", WAIT_TIMEOUT);
            ::TerminateProcess(::GetCurrentProcess(), code ? code : 1);
        }
    } else
        LogFailureF(::GetLastError(), L"no crash dump: cannot create %ls", path->c_str());
    file.reset();
    DumpWritten = true;
    return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace ovn
