#include "downloads/program_image.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ovn::downloads;

namespace {

// A whole program file as a linker lays it out: "MZ" with the PE header's
// offset at 0x3C, the signature, the file header, a 240-byte optional header
// and a table of three sections, headers padded to 0x400 and each section's
// bytes after them, the last one ending the file.
struct Image {
    std::vector<std::uint8_t> bytes;
    std::uint32_t pe = 0x80;

    explicit Image(std::uint16_t machine = 0x8664, std::uint16_t characteristics = 0x0022, std::uint16_t magic = 0x20B)
        : bytes(0x400 + 3 * 0x200, 0) {
        bytes[0] = 'M';
        bytes[1] = 'Z';
        Put32(0x3C, pe);
        bytes[pe] = 'P';
        bytes[pe + 1] = 'E';
        Put16(pe + 4, machine);
        Put16(pe + 6, 3);      // sections
        Put16(pe + 20, 240);   // optional header size
        Put16(pe + 22, characteristics);
        Put16(pe + 24, magic);
        Put32(pe + 24 + 60, 0x400);  // SizeOfHeaders
        for (std::uint32_t i = 0; i < 3; ++i)
            Section(i, 0x400 + i * 0x200, 0x200);
    }
    std::uint32_t Table() const { return pe + 24 + 240; }
    void Section(std::uint32_t i, std::uint32_t rawAt, std::uint32_t rawBytes) {
        Put32(Table() + i * 40 + 16, rawBytes);
        Put32(Table() + i * 40 + 20, rawAt);
    }
    void Put16(std::size_t at, std::uint32_t v) {
        bytes[at] = static_cast<std::uint8_t>(v);
        bytes[at + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    void Put32(std::size_t at, std::uint32_t v) {
        Put16(at, v);
        Put16(at + 2, v >> 16);
    }
    // What a caller reads of the file: its head, and its length.
    std::optional<std::uint16_t> Machine() const { return MachineOfFirst(bytes.size()); }
    std::optional<std::uint16_t> MachineOfFirst(std::size_t fileBytes) const {
        const std::size_t head = std::min(fileBytes, kProgramHeadBytes);
        return ProgramMachine(std::span(bytes).first(head), fileBytes);
    }
};

}  // namespace

TEST(ProgramImage, AWholeProgramNamesItsMachine) {
    EXPECT_EQ(Image().Machine(), 0x8664);
    EXPECT_EQ(Image(0x014C, 0x0102, 0x10B).Machine(), 0x014C);
    // Bytes after the last section (a signature, an installer's payload) are its own.
    Image longer;
    longer.bytes.resize(longer.bytes.size() + 100, 0xAB);
    EXPECT_EQ(longer.Machine(), 0x8664);
    // A section without bytes in the file (uninitialised data) may point anywhere.
    Image bss;
    bss.Section(1, 0xFFFFF000, 0);
    EXPECT_EQ(bss.Machine(), 0x8664);
}

TEST(ProgramImage, AProgramCutShortIsNone) {
    const Image whole;
    // Cut by 100 bytes, by one, inside its headers, inside its section table.
    for (std::size_t cut : {std::size_t{100}, std::size_t{1}, whole.bytes.size() - 0x300,
                            whole.bytes.size() - whole.Table() - 20})
        EXPECT_FALSE(whole.MachineOfFirst(whole.bytes.size() - cut)) << "cut by " << cut;
    // A section whose bytes lie past the end, and one whose end wraps around 4 GB.
    Image past;
    past.Section(0, 0x400, 0x2000);
    EXPECT_FALSE(past.Machine());
    Image wrap;
    wrap.Section(2, 0xFFFFFF00, 0x200);
    EXPECT_FALSE(wrap.Machine());
    // Headers said to be longer than the file.
    Image headers;
    headers.Put32(headers.pe + 24 + 60, 0x10000);
    EXPECT_FALSE(headers.Machine());
    // A head longer than the file it is said to come from.
    EXPECT_FALSE(ProgramMachine(whole.bytes, 0x400));
}

TEST(ProgramImage, OnlyAProgramFileNamesItsMachine) {
    // An empty download, a text.
    EXPECT_FALSE(ProgramMachine({}, 0));
    const std::string text = "<html><body>not found</body></html>";
    EXPECT_FALSE(ProgramMachine(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                                text.size()));
    // The header's offset pointing outside what was read, back into the DOS
    // header, or past 2 GB.
    for (std::uint32_t at : {0xFFF0u, 0x30u, 0x80000080u}) {
        Image image;
        image.Put32(0x3C, at);
        EXPECT_FALSE(image.Machine()) << at;
    }
    // No signature, no sections, more than the system loads, no known optional
    // header, one too short to hold the headers' size, a section table outside
    // the head read.
    Image unsigned_;
    unsigned_.bytes[unsigned_.pe + 1] = 'X';
    EXPECT_FALSE(unsigned_.Machine());
    Image none, many, shortOptional, farTable;
    none.Put16(none.pe + 6, 0);
    EXPECT_FALSE(none.Machine());
    many.Put16(many.pe + 6, 97);
    EXPECT_FALSE(many.Machine());
    EXPECT_FALSE(Image(0x8664, 0x0022, 0x107).Machine());
    shortOptional.Put16(shortOptional.pe + 20, 60);
    EXPECT_FALSE(shortOptional.Machine());
    farTable.Put16(farTable.pe + 20, 0xFFF0);
    EXPECT_FALSE(farTable.Machine());
    // A DLL, an image not marked executable, no machine at all.
    EXPECT_FALSE(Image(0x8664, 0x2022).Machine());
    EXPECT_FALSE(Image(0x8664, 0x0020).Machine());
    EXPECT_FALSE(Image(0, 0x0022).Machine());
}
