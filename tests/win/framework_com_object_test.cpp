// Our COM objects' one reference count and interface look-up: what the system
// asks of every object we hand it.
#include <windows.h>
#include <ocidl.h>

#include <gtest/gtest.h>

#include "framework/com_object.h"

namespace {

class Probe final : public fw::ComObject<IOleWindow, fw::EventDispatch> {
public:
    explicit Probe(bool& gone) : m_gone(gone) {}

    STDMETHODIMP GetWindow(HWND* out) override {
        *out = nullptr;
        return E_FAIL;
    }
    STDMETHODIMP ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }

private:
    ~Probe() override { m_gone = true; }
    void* Interface(REFIID iid) override {
        if (iid == IID_IUnknown || iid == IID_IOleWindow)
            return static_cast<IOleWindow*>(this);
        if (iid == IID_IDispatch)
            return static_cast<IDispatch*>(this);
        return nullptr;
    }
    bool& m_gone;
};

TEST(ComObject, AnswersItsInterfacesAndGoesWithTheLastReference) {
    bool gone = false;
    auto* probe = new Probe(gone);  // the creator's reference
    IOleWindow* window = probe;

    IDispatch* dispatch = nullptr;
    ASSERT_EQ(window->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    EXPECT_EQ(dispatch, static_cast<IDispatch*>(probe));
    // IUnknown is one identity, whichever interface is asked.
    IUnknown* a = nullptr;
    IUnknown* b = nullptr;
    ASSERT_EQ(dispatch->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a)), S_OK);
    ASSERT_EQ(window->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b)), S_OK);
    EXPECT_EQ(a, b);

    // An interface it does not have: nothing handed out, nothing counted.
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(window->QueryInterface(IID_IConnectionPointContainer, &none), E_NOINTERFACE);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(window->QueryInterface(IID_IDispatch, nullptr), E_POINTER);

    // Four references now: the creator's and the three the look-ups gave.
    EXPECT_EQ(a->Release(), 3u);
    EXPECT_EQ(b->Release(), 2u);
    EXPECT_EQ(dispatch->Release(), 1u);
    EXPECT_FALSE(gone);
    EXPECT_EQ(window->Release(), 0u);
    EXPECT_TRUE(gone);
}

TEST(ComObject, BstrOwnsItsString) {
    fw::Bstr text(std::wstring(L"a\0b", 3));
    EXPECT_EQ(SysStringLen(text.get()), 3u);
    EXPECT_EQ(text.str(), std::wstring(L"a\0b", 3));
    fw::Bstr empty;
    EXPECT_EQ(empty.str(), L"");
    *empty.put() = SysAllocString(L"x");
    EXPECT_EQ(empty.str(), L"x");
}

}  // namespace
