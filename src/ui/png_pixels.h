#pragma once
// Turns the rebuilt samples of one row (any colour type and bit depth) into 8-bit RGBA: 16-bit
// samples keep their high byte, grey goes into R, G and B, palette indices become their entries,
// the tRNS colour key becomes alpha 0 and images without alpha get 255.
#include <array>
#include <cstddef>
#include <cstdint>

#include "ui/png_chunks.h"

namespace tessel::png {

class PixelConverter {
public:
    explicit PixelConverter(const ChunkLayout& layout);

    // Reads `count` pixels packed as in the file's rows and writes count * 4 bytes to `rgba`.
    // Raises EPngError for a palette index past the palette's end.
    void ToRgba(const std::uint8_t* samples, std::size_t count, std::uint8_t* rgba) const;

private:
    void IndexedToRgba(const std::uint8_t* samples, std::size_t count, std::uint8_t* rgba) const;

    Header header_;
    ColourKey key_;
    // Grey values of 1 to 8 bits and palette indices both go through this table of RGBA entries.
    std::array<std::uint8_t, 256 * 4> table_{};
    int tableSize_ = 0;
};

}  // namespace tessel::png
