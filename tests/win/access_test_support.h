// Reading our windows back as assistive technology does: through the system's
// accessibility client (oleacc), from the window to its object, its name, role
// and state.
#pragma once
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace accesstest {

struct Read {
    std::wstring name;
    long role = 0;
    long state = 0;
    std::wstring value;
    bool ok = false;
};

// What an object says of one of its elements (CHILDID_SELF: of itself).
inline Read ReadObject(IAccessible* acc, long child = CHILDID_SELF) {
    Read r;
    if (!acc)
        return r;
    VARIANT id;
    VariantInit(&id);
    id.vt = VT_I4;
    id.lVal = child;
    BSTR name = nullptr, value = nullptr;
    VARIANT role, state;
    VariantInit(&role);
    VariantInit(&state);
    r.ok = SUCCEEDED(acc->get_accName(id, &name)) && SUCCEEDED(acc->get_accRole(id, &role)) &&
           SUCCEEDED(acc->get_accState(id, &state)) && role.vt == VT_I4 && state.vt == VT_I4;
    if (name)
        r.name.assign(name, SysStringLen(name));
    if (SUCCEEDED(acc->get_accValue(id, &value)) && value)
        r.value.assign(value, SysStringLen(value));
    SysFreeString(name);
    SysFreeString(value);
    r.role = role.lVal;
    r.state = state.lVal;
    return r;
}

// The client object of a window, as a screen reader asks for it.
inline IAccessible* ClientObject(HWND window) {
    IAccessible* acc = nullptr;
    if (FAILED(AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), IID_IAccessible,
                                          reinterpret_cast<void**>(&acc))))
        return nullptr;
    return acc;
}

inline Read ReadWindow(HWND window) {
    IAccessible* acc = ClientObject(window);
    Read r = ReadObject(acc);
    if (acc)
        acc->Release();
    return r;
}

// One row of the table the tests print: what each control was read as.
inline void PrintRow(const char* control, const Read& r) {
    char name[256] = {};
    WideCharToMultiByte(CP_UTF8, 0, r.name.c_str(), -1, name, sizeof name, nullptr, nullptr);
    wchar_t roleText[64] = {};
    GetRoleTextW(static_cast<DWORD>(r.role), roleText, 64);
    char role[128] = {};
    WideCharToMultiByte(CP_UTF8, 0, roleText, -1, role, sizeof role, nullptr, nullptr);
    char value[64] = {};
    WideCharToMultiByte(CP_UTF8, 0, r.value.c_str(), -1, value, sizeof value, nullptr, nullptr);
    std::printf("| %s | %s | %s (0x%lx) | 0x%lx | %s |\n", control, name, role, r.role, r.state, value);
}

}  // namespace accesstest
