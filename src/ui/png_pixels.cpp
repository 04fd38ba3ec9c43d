#include "ui/png_pixels.h"

#include <cstring>

namespace tessel::png {

PixelConverter::PixelConverter(const ChunkLayout& layout) : header_(layout.header), key_(layout.key) {
    if (header_.colourType == kPalette) {
        table_ = layout.palette;
        tableSize_ = layout.paletteSize;
    } else if (header_.colourType == kGrey && header_.bitDepth <= 8) {
        const int levels = 1 << header_.bitDepth;
        for (int v = 0; v < levels; ++v) {
            const auto grey = static_cast<std::uint8_t>(v * 255 / (levels - 1));
            std::uint8_t* entry = &table_[static_cast<std::size_t>(v) * 4];
            entry[0] = entry[1] = entry[2] = grey;
            entry[3] = key_.present && key_.red == v ? 0 : 255;
        }
        tableSize_ = levels;
    }
}

void PixelConverter::IndexedToRgba(const std::uint8_t* samples, std::size_t count, std::uint8_t* rgba) const {
    const unsigned depth = header_.bitDepth;
    const auto limit = static_cast<unsigned>(tableSize_);
    if (depth == 8) {
        unsigned highest = 0;
        for (std::size_t i = 0; i < count; ++i) {
            highest |= samples[i] >= limit;
            std::memcpy(rgba + i * 4, &table_[std::size_t{samples[i]} * 4], 4);
        }
        if (highest) Fail("palette index out of range");
        return;
    }
    const unsigned mask = (1u << depth) - 1;
    const unsigned perByte = 8 / depth;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned shift = 8 - depth * (1 + static_cast<unsigned>(i % perByte));
        const unsigned index = (samples[i / perByte] >> shift) & mask;
        if (index >= limit) Fail("palette index out of range");
        std::memcpy(rgba + i * 4, &table_[std::size_t{index} * 4], 4);
    }
}

void PixelConverter::ToRgba(const std::uint8_t* s, std::size_t count, std::uint8_t* rgba) const {
    const bool wide = header_.bitDepth == 16;
    switch (header_.colourType) {
    case kPalette:
        IndexedToRgba(s, count, rgba);
        return;
    case kGrey:
        if (!wide) {
            IndexedToRgba(s, count, rgba);
            return;
        }
        for (std::size_t i = 0; i < count; ++i, s += 2, rgba += 4) {
            const unsigned v = (s[0] << 8) | s[1];
            rgba[0] = rgba[1] = rgba[2] = s[0];
            rgba[3] = key_.present && v == key_.red ? 0 : 255;
        }
        return;
    case kGreyAlpha:
        for (std::size_t i = 0; i < count; ++i, rgba += 4) {
            const std::uint8_t* p = wide ? s + i * 4 : s + i * 2;
            rgba[0] = rgba[1] = rgba[2] = p[0];
            rgba[3] = wide ? p[2] : p[1];
        }
        return;
    case kRgb:
        if (!wide) {
            for (std::size_t i = 0; i < count; ++i, s += 3, rgba += 4) {
                rgba[0] = s[0];
                rgba[1] = s[1];
                rgba[2] = s[2];
                rgba[3] = 255;
                if (key_.present && s[0] == key_.red && s[1] == key_.green && s[2] == key_.blue) rgba[3] = 0;
            }
            return;
        }
        for (std::size_t i = 0; i < count; ++i, s += 6, rgba += 4) {
            rgba[0] = s[0];
            rgba[1] = s[2];
            rgba[2] = s[4];
            rgba[3] = 255;
            if (key_.present && ((s[0] << 8) | s[1]) == key_.red && ((s[2] << 8) | s[3]) == key_.green &&
                ((s[4] << 8) | s[5]) == key_.blue)
                rgba[3] = 0;
        }
        return;
    case kRgba:
        if (!wide) {
            std::memcpy(rgba, s, count * 4);
            return;
        }
        for (std::size_t i = 0; i < count; ++i, s += 8, rgba += 4) {
            rgba[0] = s[0];
            rgba[1] = s[2];
            rgba[2] = s[4];
            rgba[3] = s[6];
        }
        return;
    default:
        Fail("invalid colour type " + std::to_string(header_.colourType));
    }
}

}  // namespace tessel::png
