// RAII owners for the kernel, registry, module and COM handles the program holds.
// The GDI objects' owners (framework/gdi_handles.h) are made from the same template.
#pragma once
#include <windows.h>
#include <objbase.h>
#include <ole2.h>

#include <utility>

namespace fw {

// Traits that also count what their owners hold: Took when an owner takes a
// handle, Gave when it closes it or hands it on (see the GDI owners).
template <typename Traits>
concept CountingTraits = requires {
    Traits::Took();
    Traits::Gave();
};

// A move-only owner of one handle; Traits gives the empty value and the release call.
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;
    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : m_h(h) { Took(m_h); }
    ~UniqueHandle() { reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : m_h(std::exchange(other.m_h, Traits::Empty())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            reset();
            m_h = std::exchange(other.m_h, Traits::Empty());
        }
        return *this;
    }
    Handle get() const { return m_h; }
    explicit operator bool() const { return Traits::Valid(m_h); }
    // Hands the handle to someone who releases it (a window region, a caller).
    Handle release() {
        Gave(m_h);
        return std::exchange(m_h, Traits::Empty());
    }
    void reset(Handle h = Traits::Empty()) {
        Handle old = std::exchange(m_h, h);
        Took(m_h);
        if (Traits::Valid(old)) {
            Traits::Close(old);
            Gave(old);
        }
    }
    // For out-parameters: releases what is held and hands out the slot. Counting
    // owners have none, as what is written there would never be counted.
    Handle* put()
        requires(!CountingTraits<Traits>)
    {
        reset();
        return &m_h;
    }

private:
    static void Took(Handle h) {
        if constexpr (CountingTraits<Traits>)
            if (Traits::Valid(h))
                Traits::Took();
    }
    static void Gave(Handle h) {
        if constexpr (CountingTraits<Traits>)
            if (Traits::Valid(h))
                Traits::Gave();
    }

    Handle m_h = Traits::Empty();
};

struct KernelHandleTraits {  // processes, threads, events: null means none
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct FileHandleTraits {  // CreateFileW fails with INVALID_HANDLE_VALUE
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static bool Valid(Handle h) { return h != nullptr && h != INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::RegCloseKey(h); }
};
struct ModuleTraits {
    using Handle = HMODULE;
    static Handle Empty() { return nullptr; }
    static bool Valid(Handle h) { return h != nullptr; }
    static void Close(Handle h) { ::FreeLibrary(h); }
};

using Handle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using Library = UniqueHandle<ModuleTraits>;

// A COM interface pointer that releases its reference.
template <typename T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    explicit ComPtr(T* p, bool addRef = true) : m_p(p) {
        if (m_p && addRef)
            m_p->AddRef();
    }
    ~ComPtr() { reset(); }
    ComPtr(const ComPtr& o) : ComPtr(o.m_p) {}
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ComPtr& operator=(ComPtr o) noexcept {
        std::swap(m_p, o.m_p);
        return *this;
    }
    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }
    T** put() {
        reset();
        return &m_p;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }
    void reset() {
        if (T* p = std::exchange(m_p, nullptr))
            p->Release();
    }
    T* detach() { return std::exchange(m_p, nullptr); }
    template <typename U>
    ComPtr<U> As() const {
        ComPtr<U> out;
        if (m_p)
            m_p->QueryInterface(__uuidof(U), out.put_void());
        return out;
    }

private:
    T* m_p = nullptr;
};

// COM (or OLE) started for one scope and stopped at its end if it started.
template <HRESULT(WINAPI* Start)(LPVOID), void(WINAPI* Stop)()>
class ApartmentScope {
public:
    ApartmentScope() : m_ok(SUCCEEDED(Start(nullptr))) {}
    ~ApartmentScope() {
        if (m_ok)
            Stop();
    }
    ApartmentScope(const ApartmentScope&) = delete;
    ApartmentScope& operator=(const ApartmentScope&) = delete;
    bool ok() const { return m_ok; }

private:
    bool m_ok;
};

using ComScope = ApartmentScope<&::CoInitialize, &::CoUninitialize>;
using OleScope = ApartmentScope<&::OleInitialize, &::OleUninitialize>;

}  // namespace fw
