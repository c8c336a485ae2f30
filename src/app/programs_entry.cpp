#include "app/programs_entry.h"

#include <windows.h>
#include <shlwapi.h>

#include <variant>

#include "app/programs_entry_rules.h"
#include "common/log.h"
#include "framework/handles.h"

namespace ovn {

namespace {

// The version in the program file's own version resource: after an update that
// is the new copy's, not the running one's. Read as data, nothing of it runs.
std::optional<std::wstring> FileVersion(const std::wstring& exePath) {
    fw::Library file(::LoadLibraryExW(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    if (!file)
        return std::nullopt;
    HRSRC found = ::FindResourceW(file.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));  // VS_VERSION_INFO, RT_VERSION
    HGLOBAL loaded = found ? ::LoadResource(file.get(), found) : nullptr;
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (!data)
        return std::nullopt;
    return FixedFileVersion(static_cast<const std::uint8_t*>(data), ::SizeofResource(file.get(), found));
}

std::uint64_t FileBytes(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

}  // namespace

bool WriteProgramsEntry(const std::wstring& exePath) {
    const std::size_t slash = exePath.rfind(L'\\');
    if (slash == std::wstring::npos)
        return false;
    const std::wstring version = FileVersion(exePath).value_or(L"3.0.0.1");
    const auto values = ProgramsEntry(exePath, exePath.substr(0, slash), version, FileBytes(exePath));
    HKEY raw = nullptr;
    LSTATUS status =
        ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kProgramsEntryKey, 0, nullptr, 0, KEY_WRITE, nullptr, &raw, nullptr);
    if (status != ERROR_SUCCESS) {
        LogFailure(L"install: the programs list's entry cannot be written", static_cast<unsigned long>(status));
        return false;
    }
    fw::RegKey key(raw);
    bool written = true;
    for (const EntryValue& value : values) {
        if (const auto* text = std::get_if<std::wstring>(&value.data))
            status = ::RegSetValueExW(key.get(), value.name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text->c_str()),
                                      static_cast<DWORD>((text->size() + 1) * sizeof(wchar_t)));
        else {
            const DWORD number = std::get<std::uint32_t>(value.data);
            status = ::RegSetValueExW(key.get(), value.name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                                      sizeof number);
        }
        if (status != ERROR_SUCCESS) {
            LogFailureF(static_cast<unsigned long>(status), L"install: cannot write %ls in the programs list's entry",
                        value.name.c_str());
            written = false;
        }
    }
    return written;
}

bool RemoveProgramsEntry() {
    const LSTATUS status = ::SHDeleteKeyW(HKEY_LOCAL_MACHINE, kProgramsEntryKey);
    if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND)
        return true;
    LogFailure(L"remove: the programs list's entry stays", static_cast<unsigned long>(status));
    return false;
}

}  // namespace ovn
