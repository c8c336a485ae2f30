// Whether a file is a whole Windows program: the one reader of program images
// that every download which is started or swapped in goes through. Platform-free.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ovn::downloads {

// How much of a file's start ProgramMachine needs to see: the headers and the
// section table of every program we take lie inside it.
inline constexpr std::size_t kProgramHeadBytes = 4096;

inline constexpr std::uint16_t kMachineI386 = 0x014C;
inline constexpr std::uint16_t kMachineAmd64 = 0x8664;

// The machine type (IMAGE_FILE_HEADER.Machine) of a Windows program, from the
// first bytes of its file (head) and the whole file's length; nothing when it
// is no whole program: empty or short, no "MZ", the header offset outside head,
// no "PE\0\0" signature, no sections or more than the system loads, no optional
// header of a known kind, a section table outside head, an image that is not
// marked executable or is a DLL, or headers or a section's bytes past the end
// of the file (a download cut short).
std::optional<std::uint16_t> ProgramMachine(std::span<const std::uint8_t> head, std::uint64_t fileBytes);

}  // namespace ovn::downloads
