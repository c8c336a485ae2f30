#include "sound/import_redirect.h"

#include <tlhelp32.h>

#include <vector>

namespace ovn::sound {

namespace {

// The running redirection. The loader's wrappers below run on any thread: one
// walk of the modules at a time.
struct Redirection {
    const ImportRedirect* list = nullptr;
    std::size_t count = 0;
    bool running = false;
    CRITICAL_SECTION lock;
    Redirection() { ::InitializeCriticalSection(&lock); }
};

Redirection& State() {
    static Redirection state;
    return state;
}

class Locked {
public:
    Locked() { ::EnterCriticalSection(&State().lock); }
    ~Locked() { ::LeaveCriticalSection(&State().lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;
};

void WriteSlot(void** slot, void* value) {
    DWORD old = 0;
    if (!::VirtualProtect(slot, sizeof(void*), PAGE_EXECUTE_READWRITE, &old))
        return;
    *slot = value;
    ::VirtualProtect(slot, sizeof(void*), old, &old);
    ::FlushInstructionCache(::GetCurrentProcess(), slot, sizeof(void*));
}

// Calls fn(slot) for every import entry of module.
template <typename Fn>
void ForEachImportSlot(HMODULE module, Fn fn) {
    auto* base = reinterpret_cast<BYTE*>(module);
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    if (!base || dos->e_magic != IMAGE_DOS_SIGNATURE)
        return;
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE ||
        nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
        return;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (!dir.VirtualAddress || !dir.Size)
        return;
    for (auto* desc = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); desc->Name; ++desc) {
        if (!desc->FirstThunk)
            continue;
        for (auto* thunk = reinterpret_cast<IMAGE_THUNK_DATA*>(base + desc->FirstThunk); thunk->u1.Function; ++thunk)
            fn(reinterpret_cast<void**>(&thunk->u1.Function));
    }
}

std::vector<HMODULE> LoadedModules() {
    std::vector<HMODULE> modules;
    HANDLE snap = ::CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, 0);
    if (snap == INVALID_HANDLE_VALUE)
        return modules;
    MODULEENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Module32FirstW(snap, &entry); more; more = ::Module32NextW(snap, &entry))
        modules.push_back(entry.hModule);
    ::CloseHandle(snap);
    return modules;
}

// The wrappers of the loader's entry points, redirected beside the caller's list.
HMODULE WINAPI LoadLibraryAWrapper(LPCSTR name);
HMODULE WINAPI LoadLibraryWWrapper(LPCWSTR name);
HMODULE WINAPI LoadLibraryExAWrapper(LPCSTR name, HANDLE file, DWORD flags);
HMODULE WINAPI LoadLibraryExWWrapper(LPCWSTR name, HANDLE file, DWORD flags);
FARPROC WINAPI GetProcAddressWrapper(HMODULE module, LPCSTR name);

decltype(&::LoadLibraryA) RealLoadLibraryA;
decltype(&::LoadLibraryW) RealLoadLibraryW;
decltype(&::LoadLibraryExA) RealLoadLibraryExA;
decltype(&::LoadLibraryExW) RealLoadLibraryExW;
decltype(&::GetProcAddress) RealGetProcAddress;

const ImportRedirect kLoaderRedirects[] = {
    {L"kernel32.dll", "LoadLibraryA", reinterpret_cast<void*>(&LoadLibraryAWrapper),
     reinterpret_cast<void**>(&RealLoadLibraryA)},
    {L"kernel32.dll", "LoadLibraryW", reinterpret_cast<void*>(&LoadLibraryWWrapper),
     reinterpret_cast<void**>(&RealLoadLibraryW)},
    {L"kernel32.dll", "LoadLibraryExA", reinterpret_cast<void*>(&LoadLibraryExAWrapper),
     reinterpret_cast<void**>(&RealLoadLibraryExA)},
    {L"kernel32.dll", "LoadLibraryExW", reinterpret_cast<void*>(&LoadLibraryExWWrapper),
     reinterpret_cast<void**>(&RealLoadLibraryExW)},
    {L"kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(&GetProcAddressWrapper),
     reinterpret_cast<void**>(&RealGetProcAddress)},
};

// Both lists, the loader's first.
template <typename Fn>
void ForEachRedirect(Fn fn) {
    for (const ImportRedirect& r : kLoaderRedirects)
        fn(r);
    for (std::size_t i = 0; i < State().count; ++i)
        fn(State().list[i]);
}

// Looks up the real addresses of functions whose module has come since.
// Through the real GetProcAddress once it is known: our own calls of it may be
// redirected to its wrapper, which looks the reals up again.
void ResolveReals() {
    ForEachRedirect([](const ImportRedirect& r) {
        if (*r.real)
            return;
        if (HMODULE m = ::GetModuleHandleW(r.module)) {
            auto lookup = RealGetProcAddress ? RealGetProcAddress : &::GetProcAddress;
            *r.real = reinterpret_cast<void*>(lookup(m, r.function));
        }
    });
}

// Rewrites every module's entries of the real functions to the wrappers.
void RedirectAllModules() {
    Locked locked;
    if (!State().running)
        return;
    ResolveReals();
    for (HMODULE module : LoadedModules())
        ForEachImportSlot(module, [](void** slot) {
            ForEachRedirect([slot](const ImportRedirect& r) {
                if (*r.real && *slot == *r.real)
                    WriteSlot(slot, r.wrapper);
            });
        });
}

HMODULE AfterLoad(HMODULE loaded) {
    if (loaded)
        RedirectAllModules();
    return loaded;
}

HMODULE WINAPI LoadLibraryAWrapper(LPCSTR name) { return AfterLoad(RealLoadLibraryA(name)); }
HMODULE WINAPI LoadLibraryWWrapper(LPCWSTR name) { return AfterLoad(RealLoadLibraryW(name)); }
HMODULE WINAPI LoadLibraryExAWrapper(LPCSTR name, HANDLE file, DWORD flags) {
    return AfterLoad(RealLoadLibraryExA(name, file, flags));
}
HMODULE WINAPI LoadLibraryExWWrapper(LPCWSTR name, HANDLE file, DWORD flags) {
    return AfterLoad(RealLoadLibraryExW(name, file, flags));
}

FARPROC WINAPI GetProcAddressWrapper(HMODULE module, LPCSTR name) {
    FARPROC found = RealGetProcAddress(module, name);
    if (!found)
        return found;
    // A function asked for by name (or by a delay-load helper) gets its wrapper.
    void* wrapper = nullptr;
    {
        Locked locked;
        if (State().running) {
            ResolveReals();
            ForEachRedirect([&](const ImportRedirect& r) {
                if (*r.real == reinterpret_cast<void*>(found))
                    wrapper = r.wrapper;
            });
        }
    }
    return wrapper ? reinterpret_cast<FARPROC>(wrapper) : found;
}

}  // namespace

bool StartImportRedirects(const ImportRedirect* list, std::size_t count) {
    {
        Locked locked;
        if (State().running)
            return false;
        State().list = list;
        State().count = count;
        State().running = true;
    }
    RedirectAllModules();
    return true;
}

void StopImportRedirects() {
    Locked locked;
    if (!State().running)
        return;
    for (HMODULE module : LoadedModules())
        ForEachImportSlot(module, [](void** slot) {
            ForEachRedirect([slot](const ImportRedirect& r) {
                if (*r.real && *slot == r.wrapper)
                    WriteSlot(slot, *r.real);
            });
        });
    State().running = false;
    State().list = nullptr;
    State().count = 0;
}

std::size_t CountRedirectedImports() {
    Locked locked;
    std::size_t n = 0;
    if (!State().running)
        return 0;
    for (HMODULE module : LoadedModules())
        ForEachImportSlot(module, [&n](void** slot) {
            for (std::size_t i = 0; i < State().count; ++i)
                if (*slot == State().list[i].wrapper)
                    ++n;
        });
    return n;
}

void* PatchMethodSlot(void** slot, void* value) {
    DWORD old = 0;
    if (!slot || !::VirtualProtectEx(::GetCurrentProcess(), slot, sizeof(void*), PAGE_EXECUTE_READWRITE, &old))
        return nullptr;
    void* previous = *slot;
    *slot = value;
    ::VirtualProtectEx(::GetCurrentProcess(), slot, sizeof(void*), old, &old);
    return previous;
}

}  // namespace ovn::sound
