// A picture from anywhere (the notice's picture comes from the portal): the
// decoder either decodes it or says why not, never reads or writes outside the
// input and the pixels it was given, and asks for pixels once, within its limit.
// Both kinds of alpha decode the same input alike. An input without the PNG
// signature is taken as the chunks after one, with their checksums mended.
#include <zlib.h>

#include <vector>

#include "framework/png_decoder.h"
#include "fuzz_support.h"

namespace {

// The input with every whole chunk's checksum made right, so that changes to a
// chunk's contents reach the code behind the check.
std::vector<std::uint8_t> WithChecksumsMended(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> png(data, data + size);
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = (std::uint32_t{png[at]} << 24) | (std::uint32_t{png[at + 1]} << 16) |
                                     (std::uint32_t{png[at + 2]} << 8) | png[at + 3];
        if (length > png.size() - at - 12)
            break;
        const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, png.data() + at + 4, length + 4));
        for (int i = 0; i < 4; ++i)
            png[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at += 12 + length;
    }
    return png;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* raw, std::size_t rawSize) {
    // Inputs that start with a signature are taken as they are; the rest have a
    // signature put before them and their checksums mended.
    std::vector<std::uint8_t> mended;
    const std::uint8_t* data = raw;
    std::size_t size = rawSize;
    if (rawSize < 8 || raw[0] != 0x89) {
        static const std::uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        std::vector<std::uint8_t> signed_(signature, signature + 8);
        signed_.insert(signed_.end(), raw, raw + rawSize);
        mended = WithChecksumsMended(signed_.data(), signed_.size());
        data = mended.data();
        size = mended.size();
    }
    constexpr int kMaxSide = 512;  // keeps every run small; the rule is the same for 0x7FFF
    std::vector<std::uint32_t> pixels[2];
    fw::PngResult results[2];
    int asked[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        results[i] = fw::DecodePng(data, size, kMaxSide, i == 0 ? fw::PngAlpha::Straight : fw::PngAlpha::Premultiplied,
                                   [&](fw::PngSize s) {
                                       ++asked[i];
                                       FUZZ_CHECK(s.width > 0 && s.height > 0 && s.width <= kMaxSide &&
                                                  s.height <= kMaxSide);
                                       pixels[i].assign(static_cast<std::size_t>(s.width) * s.height, 0);
                                       return pixels[i].data();
                                   });
        FUZZ_CHECK(asked[i] <= 1);
        FUZZ_CHECK(results[i] != fw::PngResult::Decoded || asked[i] == 1);
    }
    FUZZ_CHECK(results[0] == results[1]);
    if (results[0] == fw::PngResult::Decoded) {
        // Premultiplied, a pixel keeps its alpha and no colour goes above it.
        for (std::size_t p = 0; p < pixels[0].size(); ++p) {
            const std::uint32_t straight = pixels[0][p], pre = pixels[1][p];
            FUZZ_CHECK((straight >> 24) == (pre >> 24));
            for (int shift = 0; shift < 24; shift += 8)
                FUZZ_CHECK(((pre >> shift) & 0xFF) <= (pre >> 24));
            if ((straight >> 24) == 0xFF)
                FUZZ_CHECK(straight == pre);
        }
    }
    return 0;
}
