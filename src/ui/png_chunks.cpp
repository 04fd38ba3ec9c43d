#include "ui/png_chunks.h"

#include <zlib.h>

#include <cstring>

#include "ui/png.h"

namespace tessel::png {

void Fail(const std::string& what) { throw EPngError("PNG: " + what); }

int Header::Channels() const {
    switch (colourType) {
    case kGrey: return 1;
    case kGreyAlpha: return 2;
    case kRgb: return 3;
    case kRgba: return 4;
    default: return 1;  // palette indices
    }
}

std::size_t Header::RowBytes(std::uint32_t pixels) const {
    return (static_cast<std::size_t>(pixels) * static_cast<std::size_t>(BitsPerPixel()) + 7) / 8;
}

namespace {

constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFFu;

std::uint32_t BigEndian32(const unsigned char* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

std::uint16_t BigEndian16(const unsigned char* p) { return static_cast<std::uint16_t>((p[0] << 8) | p[1]); }

bool IsLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool IsType(const char* type, const char* name) { return std::memcmp(type, name, 4) == 0; }

bool LegalDepth(std::uint8_t colourType, std::uint8_t depth) {
    switch (colourType) {
    case kGrey: return depth == 1 || depth == 2 || depth == 4 || depth == 8 || depth == 16;
    case kPalette: return depth == 1 || depth == 2 || depth == 4 || depth == 8;
    case kRgb:
    case kGreyAlpha:
    case kRgba: return depth == 8 || depth == 16;
    default: return false;
    }
}

Header ReadHeader(const unsigned char* data, std::uint32_t length) {
    if (length != 13) Fail("bad IHDR chunk");
    Header h;
    h.width = BigEndian32(data);
    h.height = BigEndian32(data + 4);
    h.bitDepth = data[8];
    h.colourType = data[9];
    const unsigned compression = data[10], filter = data[11], interlace = data[12];
    const std::string size = std::to_string(h.width) + " x " + std::to_string(h.height);
    if (h.width == 0 || h.height == 0 || h.width > kMaxChunkLength || h.height > kMaxChunkLength)
        Fail("invalid image size (" + size + ")");
    if (h.colourType > kRgba || h.colourType == 1 || h.colourType == 5)
        Fail("invalid colour type " + std::to_string(h.colourType));
    if (!LegalDepth(h.colourType, h.bitDepth))
        Fail("invalid bit depth " + std::to_string(h.bitDepth) + " for colour type " + std::to_string(h.colourType));
    if (compression != 0) Fail("unknown compression method " + std::to_string(compression));
    if (filter != 0) Fail("unknown filter method " + std::to_string(filter));
    if (interlace > 1) Fail("unknown interlace method " + std::to_string(interlace));
    if (h.width > kPngMaxDimension || h.height > kPngMaxDimension ||
        std::uint64_t{h.width} * h.height > kPngMaxPixels)
        Fail("image too large (" + size + ")");
    h.interlaced = interlace == 1;
    return h;
}

void ReadPalette(ChunkLayout& layout, const unsigned char* data, std::uint32_t length) {
    const Header& h = layout.header;
    const std::uint32_t entries = length / 3;
    if (length % 3 != 0 || entries == 0 || entries > 256 ||
        (h.colourType == kPalette && entries > (1u << h.bitDepth)))
        Fail("bad PLTE chunk");
    for (std::uint32_t i = 0; i < entries; ++i) {
        layout.palette[i * 4 + 0] = data[i * 3 + 0];
        layout.palette[i * 4 + 1] = data[i * 3 + 1];
        layout.palette[i * 4 + 2] = data[i * 3 + 2];
        layout.palette[i * 4 + 3] = 255;
    }
    layout.paletteSize = static_cast<int>(entries);
}

void ReadTransparency(ChunkLayout& layout, const unsigned char* data, std::uint32_t length) {
    switch (layout.header.colourType) {
    case kGrey:
        if (length != 2) Fail("bad tRNS chunk");
        layout.key.present = true;
        layout.key.red = BigEndian16(data);
        break;
    case kRgb:
        if (length != 6) Fail("bad tRNS chunk");
        layout.key.present = true;
        layout.key.red = BigEndian16(data);
        layout.key.green = BigEndian16(data + 2);
        layout.key.blue = BigEndian16(data + 4);
        break;
    case kPalette:
        if (layout.paletteSize == 0) Fail("tRNS chunk before PLTE");
        if (length > static_cast<std::uint32_t>(layout.paletteSize)) Fail("bad tRNS chunk");
        for (std::uint32_t i = 0; i < length; ++i) layout.palette[i * 4 + 3] = data[i];
        break;
    default:
        break;  // the image has an alpha channel of its own; the chunk has no meaning here
    }
}

}  // namespace

ChunkLayout ReadChunks(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const std::size_t size = bytes.size();
    // A file cut inside the signature is truncated; anything else that does not start with it is
    // not a PNG file at all.
    if (size > 0 && std::memcmp(p, kSignature, size < 8 ? size : 8) != 0) Fail("not a PNG file (bad signature)");
    if (size < 8) Fail("truncated data");

    ChunkLayout layout;
    bool haveHeader = false, havePalette = false, haveTransparency = false;
    bool inImageData = false, afterImageData = false;
    std::size_t pos = 8;
    for (;;) {
        if (size - pos < 8) Fail("truncated data");
        const std::uint32_t length = BigEndian32(p + pos);
        const char* type = reinterpret_cast<const char*>(p + pos + 4);
        const std::string name(type, 4);
        for (int i = 0; i < 4; ++i)
            if (!IsLetter(static_cast<unsigned char>(type[i]))) Fail("bad chunk type");
        if (length > kMaxChunkLength) Fail("bad length in chunk " + name);
        if (size - pos - 8 < std::size_t{length} + 4) Fail("truncated data");
        const unsigned char* data = p + pos + 8;
        const std::uint32_t storedCrc = BigEndian32(data + length);
        const auto crc = crc32(crc32(0, nullptr, 0), p + pos + 4, length + 4);
        if (crc != storedCrc) Fail("bad CRC in chunk " + name);
        pos += std::size_t{length} + 12;

        const bool isImageData = IsType(type, "IDAT");
        if (inImageData && !isImageData) {
            inImageData = false;
            afterImageData = true;
        }
        if (!haveHeader) {
            if (!IsType(type, "IHDR")) Fail("first chunk is not IHDR");
            layout.header = ReadHeader(data, length);
            haveHeader = true;
        } else if (IsType(type, "IHDR")) {
            Fail("duplicate IHDR chunk");
        } else if (IsType(type, "PLTE")) {
            if (inImageData || afterImageData) Fail("PLTE chunk after IDAT");
            if (havePalette) Fail("duplicate PLTE chunk");
            if (haveTransparency) Fail("PLTE chunk after tRNS");
            havePalette = true;
            // Grey images may not carry one; it could only suggest colours, so it is passed over.
            const std::uint8_t t = layout.header.colourType;
            if (t != kGrey && t != kGreyAlpha) ReadPalette(layout, data, length);
        } else if (IsType(type, "tRNS")) {
            if (inImageData || afterImageData) Fail("tRNS chunk after IDAT");
            if (haveTransparency) Fail("duplicate tRNS chunk");
            haveTransparency = true;
            ReadTransparency(layout, data, length);
        } else if (isImageData) {
            if (afterImageData) Fail("IDAT chunks are not consecutive");
            if (layout.header.colourType == kPalette && layout.paletteSize == 0) Fail("missing PLTE chunk");
            inImageData = true;
            layout.imageData.emplace_back(reinterpret_cast<const char*>(data), length);
            layout.imageDataBytes += length;
        } else if (IsType(type, "IEND")) {
            if (layout.imageData.empty()) Fail("missing IDAT chunk");
            return layout;  // bytes after IEND are not part of the image
        } else if (type[0] >= 'A' && type[0] <= 'Z') {
            Fail("unknown critical chunk " + name);
        }
        // Other ancillary chunks (gamma, colour profiles, text, times) do not change the pixels.
    }
}

}  // namespace tessel::png
