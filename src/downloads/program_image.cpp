#include "downloads/program_image.h"

namespace ovn::downloads {

namespace {

std::uint32_t Read16(std::span<const std::uint8_t> b, std::size_t at) {
    return static_cast<std::uint32_t>(b[at] | (b[at + 1] << 8));
}
std::uint32_t Read32(std::span<const std::uint8_t> b, std::size_t at) {
    return Read16(b, at) | (Read16(b, at + 2) << 16);
}

}  // namespace

std::optional<std::uint16_t> ProgramMachine(std::span<const std::uint8_t> head, std::uint64_t fileBytes) {
    constexpr std::size_t kLfanewAt = 0x3C, kFileHeaderBytes = 24;  // signature and IMAGE_FILE_HEADER
    constexpr std::size_t kSizeOfHeadersAt = 60, kSectionBytes = 40;  // in the optional header; a section's entry
    constexpr std::uint32_t kMaxSections = 96;  // the most the system loads
    constexpr std::uint32_t kExecutableImage = 0x0002, kDll = 0x2000;
    constexpr std::uint32_t kPe32Magic = 0x10B, kPe32PlusMagic = 0x20B;
    if (head.size() > fileBytes)
        return std::nullopt;  // the caller read more than the file holds: not this file's head
    if (head.size() < kLfanewAt + 4 || head[0] != 'M' || head[1] != 'Z')
        return std::nullopt;
    const std::uint64_t pe = Read32(head, kLfanewAt);
    // The signature and the file header, past the DOS header.
    if (pe < kLfanewAt + 4 || pe + kFileHeaderBytes > head.size())
        return std::nullopt;
    const std::size_t at = static_cast<std::size_t>(pe);
    if (head[at] != 'P' || head[at + 1] != 'E' || head[at + 2] != 0 || head[at + 3] != 0)
        return std::nullopt;
    const std::uint32_t machine = Read16(head, at + 4);
    const std::uint32_t sections = Read16(head, at + 6);
    const std::uint32_t optionalBytes = Read16(head, at + 20);
    const std::uint32_t characteristics = Read16(head, at + 22);
    if (machine == 0 || sections == 0 || sections > kMaxSections || optionalBytes < kSizeOfHeadersAt + 4)
        return std::nullopt;
    if (!(characteristics & kExecutableImage) || (characteristics & kDll))
        return std::nullopt;
    const std::size_t optional = at + kFileHeaderBytes;
    const std::uint64_t table = static_cast<std::uint64_t>(optional) + optionalBytes;
    if (table + std::uint64_t{sections} * kSectionBytes > head.size())
        return std::nullopt;
    const std::uint32_t magic = Read16(head, optional);
    if (magic != kPe32Magic && magic != kPe32PlusMagic)
        return std::nullopt;
    if (Read32(head, optional + kSizeOfHeadersAt) > fileBytes)
        return std::nullopt;
    // Every section's bytes lie inside the file: a program cut anywhere past its
    // headers fails here, whatever its length was announced as.
    for (std::uint32_t i = 0; i < sections; ++i) {
        const std::size_t entry = static_cast<std::size_t>(table) + i * kSectionBytes;
        const std::uint64_t rawBytes = Read32(head, entry + 16);
        const std::uint64_t rawAt = Read32(head, entry + 20);
        if (rawBytes != 0 && rawAt + rawBytes > fileBytes)
            return std::nullopt;
    }
    return static_cast<std::uint16_t>(machine);
}

}  // namespace ovn::downloads
