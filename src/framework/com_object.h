// COM objects of ours and the BSTRs they trade in: the one home of the
// reference counting and the interface look-up every object we hand to the
// system needs.
#pragma once
#include <windows.h>
#include <oleauto.h>
#include <unknwn.h>

#include <string>

namespace fw {

// A COM object implementing Interfaces. It is made with one reference, its
// creator's, and deletes itself when the last reference goes; the derived class
// names which interface each IID is (Interface) and keeps its destructor private
// or protected, as nobody deletes it but Release.
template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out)
            return E_POINTER;
        *out = Interface(iid);
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = ::InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return static_cast<ULONG>(n);
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;
    // This object as the interface iid names (IID_IUnknown included); null when
    // it is none of them.
    virtual void* Interface(REFIID iid) = 0;

private:
    LONG m_refs = 1;
};

// An IDispatch that is only called: an event sink, with no type information or
// names to give.
class EventDispatch : public IDispatch {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count)
            *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** out) override {
        if (out)
            *out = nullptr;
        return E_NOTIMPL;
    }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
};

// An owned BSTR.
class Bstr {
public:
    explicit Bstr(const std::wstring& s) : m_b(::SysAllocStringLen(s.data(), static_cast<UINT>(s.size()))) {}
    Bstr() = default;
    ~Bstr() { ::SysFreeString(m_b); }
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    BSTR get() const { return m_b; }
    BSTR* put() {
        ::SysFreeString(m_b);
        m_b = nullptr;
        return &m_b;
    }
    std::wstring str() const { return m_b ? std::wstring(m_b, ::SysStringLen(m_b)) : std::wstring(); }

private:
    BSTR m_b = nullptr;
};

}  // namespace fw
