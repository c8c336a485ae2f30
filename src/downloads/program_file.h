// Reads a file on disk through the program-image rules (program_image.h).
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

namespace ovn::downloads {

// The machine type of the whole program in a file open for reading (read from
// its first byte; the file position moves); nothing when it is none, or cannot
// be read.
std::optional<std::uint16_t> MachineOfProgram(HANDLE file);
// The same for the file at path.
std::optional<std::uint16_t> MachineOfProgram(const std::wstring& path);

}  // namespace ovn::downloads
