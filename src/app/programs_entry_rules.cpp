#include "app/programs_entry_rules.h"

#include <cstring>

namespace ovn {

std::vector<EntryValue> ProgramsEntry(std::wstring_view exePath, std::wstring_view installFolder,
                                      std::wstring_view version, std::uint64_t exeBytes) {
    const std::wstring exe(exePath);
    const std::uint64_t kilobytes = (exeBytes + 1023) / 1024;
    return {
        {L"DisplayName", std::wstring(kProgramsEntryName)},
        {L"DisplayVersion", std::wstring(version)},
        {L"Publisher", std::wstring(kProgramsEntryPublisher)},
        {L"DisplayIcon", exe + L",0"},
        {L"InstallLocation", std::wstring(installFolder)},
        // Quoted: the folder's path has blanks on most systems.
        {L"UninstallString", L"\"" + exe + L"\" /uninst"},
        {L"NoModify", std::uint32_t{1}},
        {L"NoRepair", std::uint32_t{1}},
        {L"EstimatedSize", static_cast<std::uint32_t>(kilobytes > 0xFFFFFFFFu ? 0xFFFFFFFFu : kilobytes)},
    };
}

std::optional<std::wstring> FixedFileVersion(const std::uint8_t* data, std::size_t size) {
    // VS_FIXEDFILEINFO: its signature, the structure version, then the file
    // version's high and low doublewords. It sits on a 4-byte boundary.
    constexpr std::uint32_t kSignature = 0xFEEF04BD;
    if (!data)
        return std::nullopt;
    for (std::size_t at = 0; at + 16 <= size; at += 4) {
        std::uint32_t words[4];
        std::memcpy(words, data + at, sizeof words);
        if (words[0] != kSignature)
            continue;
        return std::to_wstring(words[2] >> 16) + L"." + std::to_wstring(words[2] & 0xFFFF) + L"." +
               std::to_wstring(words[3] >> 16) + L"." + std::to_wstring(words[3] & 0xFFFF);
    }
    return std::nullopt;
}

}  // namespace ovn
