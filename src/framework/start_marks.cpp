#include "framework/start_marks.h"

#include <windows.h>

namespace fw {

namespace {

std::int64_t g_entryTicks = 0;
StartMarkBlock* g_block = nullptr;  // mapped for the rest of the process, once opened

std::int64_t Now() {
    LARGE_INTEGER c;
    ::QueryPerformanceCounter(&c);
    return c.QuadPart;
}

void Record(StartMark mark, std::int64_t ticks) {
    StartMarkBlock* block = g_block;
    // Only a process's first time at each mark counts: a repaint or a later page
    // takes no slot from the processes still to come.
    static volatile LONG recorded = 0;
    const LONG bit = 1L << static_cast<int>(mark);
    if (!block || (::InterlockedOr(&recorded, bit) & bit))
        return;
    const int slot = StartMarkSlot(::InterlockedIncrement(reinterpret_cast<volatile LONG*>(&block->used)));
    if (slot < 0)
        return;
    block->entries[slot] = StartMarkEntry{::GetCurrentProcessId(), static_cast<std::int32_t>(mark), ticks};
}

// The counter's reading at this process's creation, from how long ago that was.
std::int64_t CreationTicks() {
    FILETIME created{}, exited{}, kernel{}, user{}, now{};
    if (!::GetProcessTimes(::GetCurrentProcess(), &created, &exited, &kernel, &user))
        return 0;
    // The precise clock where the system has one (Windows 8 on), looked up
    // rather than imported so the program still loads on older systems.
    using PreciseFn = void(WINAPI*)(LPFILETIME);
    static const auto precise = reinterpret_cast<PreciseFn>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    const std::int64_t ticksNow = Now();
    if (precise)
        precise(&now);
    else
        ::GetSystemTimeAsFileTime(&now);
    auto value = [](const FILETIME& f) {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime);
    };
    const std::int64_t ago100ns = value(now) - value(created);
    if (ago100ns < 0)
        return 0;
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return ticksNow - ago100ns * f.QuadPart / 10000000;
}

}  // namespace

std::wstring StartMarkBlockName(std::uint32_t rootPid) {
    return L"Local\\OvnStartMarks." + std::to_wstring(rootPid);
}

void NoteEntryPoint() { g_entryTicks = Now(); }

void OpenStartMarks(std::uint32_t rootPid) {
    if (g_block || rootPid == 0)
        return;
    HANDLE mapping = ::OpenFileMappingW(FILE_MAP_WRITE | FILE_MAP_READ, FALSE, StartMarkBlockName(rootPid).c_str());
    if (!mapping)
        return;
    void* view = ::MapViewOfFile(mapping, FILE_MAP_WRITE | FILE_MAP_READ, 0, 0, sizeof(StartMarkBlock));
    ::CloseHandle(mapping);  // the view keeps the block
    auto* block = static_cast<StartMarkBlock*>(view);
    if (!block)
        return;
    if (block->magic != StartMarkBlock::kMagic) {
        ::UnmapViewOfFile(view);
        return;
    }
    g_block = block;
    if (const std::int64_t created = CreationTicks())
        Record(StartMark::ProcessStart, created);
    if (g_entryTicks)
        Record(StartMark::AppStart, g_entryTicks);
}

void RecordStartMark(StartMark mark) {
    if (g_block)
        Record(mark, Now());
}

}  // namespace fw
