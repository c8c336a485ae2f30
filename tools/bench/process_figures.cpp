#include "tools/bench/process_figures.h"

#include <psapi.h>
#include <winternl.h>

#include <algorithm>
#include <vector>

namespace bench {

namespace {
constexpr double kMb = 1024.0 * 1024.0;
}  // namespace

double PeakWorkingSetMb(HANDLE process) {
    PROCESS_MEMORY_COUNTERS pmc{};
    pmc.cb = sizeof pmc;
    return GetProcessMemoryInfo(process, &pmc, sizeof pmc) ? static_cast<double>(pmc.PeakWorkingSetSize) / kMb : -1;
}

std::map<DWORD, double> CpuTimesMs() {
    using Query = NTSTATUS(NTAPI*)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    static const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    std::map<DWORD, double> out;
    if (!query)
        return out;
    std::vector<unsigned char> buf(256 * 1024);
    for (;;) {
        ULONG needed = 0;
        NTSTATUS st = query(SystemProcessInformation, buf.data(), static_cast<ULONG>(buf.size()), &needed);
        if (st == static_cast<NTSTATUS>(0xC0000004L)) {  // too small: the list grew
            buf.resize(std::max<size_t>(buf.size() * 2, needed + 4096));
            continue;
        }
        if (st < 0)
            return out;
        break;
    }
    for (size_t at = 0;;) {
        const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buf.data() + at);
        out[static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId))] =
            static_cast<double>(p->KernelTime.QuadPart + p->UserTime.QuadPart) / 10000.0;
        if (!p->NextEntryOffset)
            break;
        at += p->NextEntryOffset;
    }
    return out;
}

fw::Handle OpenForFigures(DWORD pid) {
    return fw::Handle(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid));
}

}  // namespace bench
