#pragma once
// Decoding of the theme's background image. Every colour type, bit depth and interlace method of
// the format is read into one form, 8-bit straight RGBA, which the skin then flattens onto white
// for the opaque window bitmaps.
//
// A damaged or hostile file raises EPngError whose text says what is wrong ("PNG: bad CRC in chunk
// IDAT", "PNG: truncated data"); nothing is read or written outside the given bytes and the
// returned image. The image size is checked against a pixel budget before anything is allocated.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "base/errors.h"

namespace tessel {

class EPngError : public EError {
public:
    using EError::EError;
};

// Larger images are refused with "PNG: image too large (W x H)".
inline constexpr std::uint32_t kPngMaxDimension = 1u << 20;
inline constexpr std::uint64_t kPngMaxPixels = 64ull * 1024 * 1024;

struct PngImage {
    int width = 0;
    int height = 0;
    // width * height pixels of 4 bytes R, G, B, A; rows top to bottom; alpha not premultiplied.
    // 16-bit samples keep their high byte, grey is copied into R, G and B, palettes are expanded,
    // tRNS becomes alpha and an image without alpha gets 255.
    std::vector<std::uint8_t> rgba;
};

// Raises EPngError for anything that is not a complete, valid PNG file within the budget.
PngImage DecodePng(std::string_view bytes);

// The image composited onto white by its alpha: width * height pixels of 4 bytes B, G, R, 255, rows
// top to bottom, the layout of a 32-bit top-down DIB.
std::vector<std::uint8_t> FlattenOnWhite(const PngImage& image);

}  // namespace tessel
