// The failure log read back in a test: OVN_LOG pointed at a fresh file.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/handles.h"

namespace logtest {

// OVN_LOG pointed at a fresh file in the temp folder for one test, and set back
// to what the run gave afterwards.
class LogFile {
public:
    LogFile() {
        wchar_t given[1024] = {};
        DWORD n = GetEnvironmentVariableW(L"OVN_LOG", given, 1024);
        m_had = n > 0 && n < 1024;
        if (m_had)
            m_given = given;
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        m_path = std::wstring(dir) + L"ovn log test " + std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(m_path.c_str());
        SetEnvironmentVariableW(L"OVN_LOG", m_path.c_str());
    }
    ~LogFile() {
        SetEnvironmentVariableW(L"OVN_LOG", m_had ? m_given.c_str() : nullptr);
        DeleteFileW(m_path.c_str());
    }
    const std::wstring& Path() const { return m_path; }
    bool Exists() const { return GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    // The file's lines, read as UTF-8; each must end with CR LF.
    std::vector<std::wstring> Lines() const {
        std::vector<std::wstring> lines;
        fw::FileHandle file(CreateFileW(m_path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
        if (!file)
            return lines;
        std::string bytes(1 << 16, '\0');
        DWORD read = 0;
        ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
        bytes.resize(read);
        std::wstring text(bytes.size(), L'\0');
        text.resize(static_cast<size_t>(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, bytes.data(),
                                                            static_cast<int>(bytes.size()), text.data(),
                                                            static_cast<int>(text.size()))));
        EXPECT_EQ(text.size() > 0, read > 0) << "the file is not UTF-8";
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find(L"\r\n", start);
            EXPECT_NE(end, std::wstring::npos) << "a line without its end";
            if (end == std::wstring::npos)
                break;
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    }

private:
    std::wstring m_path;
    std::wstring m_given;
    bool m_had = false;
};

}  // namespace logtest
