// Makes a stand-in program the shell's program for web links (http and https)
// while it lives, so that a test sees which links the program under test hands
// to the browser; the earlier handlers are put back afterwards. Header-only:
// the Win32 tests use it too.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

class StandInBrowser {
public:
    explicit StandInBrowser(const std::wstring& program) {
        const std::wstring command = L"\"" + program + L"\" \"%1\"";
        for (const wchar_t* scheme : {L"http", L"https"}) {
            Saved saved{std::wstring(scheme) + L"\\shell\\open\\command", false, {}};
            wchar_t old[1024] = {};
            DWORD size = sizeof old;
            saved.had = RegGetValueW(HKEY_CLASSES_ROOT, saved.key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, old,
                                     &size) == ERROR_SUCCESS;
            saved.value = old;
            m_saved.push_back(saved);
            Set(saved.key, command);
        }
    }
    ~StandInBrowser() {
        for (const Saved& s : m_saved) {
            if (s.had)
                Set(s.key, s.value);
            else
                RegDeleteKeyValueW(HKEY_CLASSES_ROOT, s.key.c_str(), nullptr);
        }
    }
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;

private:
    struct Saved {
        std::wstring key;
        bool had;
        std::wstring value;
    };
    static void Set(const std::wstring& key, const std::wstring& value) {
        RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    }
    std::vector<Saved> m_saved;
};

}  // namespace e2e
