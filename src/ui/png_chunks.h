#pragma once
// The chunk layer of the PNG reader: walks the file's chunks, checks their lengths, CRCs and order,
// and gathers what the pixel layer needs (header, palette, transparency, the compressed image data).
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel::png {

[[noreturn]] void Fail(const std::string& what);  // raises EPngError("PNG: " + what)

enum ColourType : std::uint8_t { kGrey = 0, kRgb = 2, kPalette = 3, kGreyAlpha = 4, kRgba = 6 };

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::uint8_t bitDepth = 0;
    std::uint8_t colourType = 0;
    bool interlaced = false;

    int Channels() const;
    int BitsPerPixel() const { return Channels() * bitDepth; }
    // Bytes of one filtered row of the given width, without its filter-type byte.
    std::size_t RowBytes(std::uint32_t pixels) const;
    // The distance the filters look back: whole pixels, at least one byte.
    std::size_t FilterStride() const { return BitsPerPixel() < 8 ? 1 : static_cast<std::size_t>(BitsPerPixel() / 8); }
};

// The single colour a tRNS chunk makes transparent in grey and RGB images, in the file's sample
// precision (for grey only `red` is used).
struct ColourKey {
    bool present = false;
    std::uint16_t red = 0, green = 0, blue = 0;
};

struct ChunkLayout {
    Header header;
    // RGBA per entry; entries past paletteSize are never used (an index there is refused).
    std::array<std::uint8_t, 256 * 4> palette{};
    int paletteSize = 0;
    ColourKey key;
    // The IDAT payloads in file order: together one zlib stream.
    std::vector<std::string_view> imageData;
    std::uint64_t imageDataBytes = 0;
};

// Raises EPngError for a damaged file; everything returned points into `bytes`.
ChunkLayout ReadChunks(std::string_view bytes);

}  // namespace tessel::png
