// A downloaded file read as a program: any bytes, with a file length taken from
// the first four. Whatever it says, a machine is named only for a file whose
// head it could hold.
// Input: 4 bytes of file length, then the head.
#include "fuzz_support.h"
#include "downloads/program_image.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::uint64_t fileBytes = ovn::fuzz::TakeNumber(data, size, 4);
    const std::span<const std::uint8_t> head(data, size);
    if (ovn::downloads::ProgramMachine(head, fileBytes))
        FUZZ_CHECK(head.size() <= fileBytes && head.size() >= 0x40);
    // The same head as the whole file.
    (void)ovn::downloads::ProgramMachine(head, head.size());
    return 0;
}
