#include "downloads/program_file.h"

#include <vector>

#include "framework/handles.h"
#include "downloads/program_image.h"

namespace ovn::downloads {

std::optional<std::uint16_t> MachineOfProgram(HANDLE file) {
    LARGE_INTEGER size{}, zero{};
    if (!::GetFileSizeEx(file, &size) || size.QuadPart < 0 || !::SetFilePointerEx(file, zero, nullptr, FILE_BEGIN))
        return std::nullopt;
    std::vector<std::uint8_t> head(kProgramHeadBytes);
    DWORD got = 0;
    if (!::ReadFile(file, head.data(), static_cast<DWORD>(head.size()), &got, nullptr))
        return std::nullopt;
    head.resize(got);
    return ProgramMachine(head, static_cast<std::uint64_t>(size.QuadPart));
}

std::optional<std::uint16_t> MachineOfProgram(const std::wstring& path) {
    fw::FileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return std::nullopt;
    return MachineOfProgram(file.get());
}

}  // namespace ovn::downloads
