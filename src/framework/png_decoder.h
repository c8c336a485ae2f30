// Our own PNG decoder for the pictures the program carries in its resources
// (the skins and the login artwork): it inflates row by row straight into the
// caller's pixels, so decoding needs no more memory than the picture itself and
// starts no imaging library. Platform-free.
//
// It reads what those pictures are made of: 8-bit samples of every colour type,
// palettes of 1, 2, 4 or 8 bits with or without a transparency table, not
// interlaced. Anything else (16-bit samples, interlacing) is declined with
// PngResult::Unsupported, so that the caller can hand the picture to the
// system's decoder; a damaged picture is PngResult::Damaged.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

namespace fw {

enum class PngResult { Decoded, Unsupported, Damaged };

// How colour and transparency are written: 0xAARRGGBB in one 32-bit word a
// pixel (blue first in memory, as a 32-bit DIB and GDI+ keep them), the colour
// as it stands or already multiplied by its alpha, as per-pixel-alpha drawing wants.
enum class PngAlpha { Straight, Premultiplied };

struct PngSize {
    int width = 0;
    int height = 0;
};

// Decodes data. Once the header is read and the size is within maxSide on
// both sides, target(size) is asked for width x height words, top row first;
// null declines the picture (PngResult::Damaged). The words are written while
// the picture is inflated: when the result is not Decoded, what they hold is
// not a picture.
PngResult DecodePng(const std::uint8_t* data, std::size_t size, int maxSide, PngAlpha alpha,
                    const std::function<std::uint32_t*(PngSize)>& target);

}  // namespace fw
