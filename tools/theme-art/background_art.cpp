#include "background_art.h"

#include <zlib.h>

#include <algorithm>
#include <stdexcept>

namespace tessel::art {

namespace {

struct Rgb {
    int r, g, b;
};

constexpr Rgb kOutline{15, 22, 32};
constexpr Rgb kTitleTop{74, 127, 192};
constexpr Rgb kTitleBottom{43, 86, 140};
constexpr Rgb kTitleHighlight{118, 160, 214};
constexpr Rgb kTitleSeparator{26, 47, 74};
constexpr Rgb kFrame{40, 52, 68};
constexpr Rgb kFrameBevel{66, 82, 104};
constexpr Rgb kCentreTop{44, 56, 71};
constexpr Rgb kCentreBottom{30, 38, 49};

// Samples per pixel side; coordinates below are in 1/(2 * kSamples) pixel units.
constexpr int kSamples = 4;
constexpr int kUnit = 2 * kSamples;

Rgb Mix(Rgb a, Rgb b, int num, int den) {
    return {a.r + (b.r - a.r) * num / den, a.g + (b.g - a.g) * num / den, a.b + (b.b - a.b) * num / den};
}

// Whether the sample point (in units) lies inside the rounded rectangle inset by `inset` pixels.
bool Inside(const Layout& l, int px, int py, int inset, int radius) {
    const int x0 = inset * kUnit, y0 = inset * kUnit;
    const int x1 = (l.width - inset) * kUnit, y1 = (l.height - inset) * kUnit;
    if (px < x0 || px > x1 || py < y0 || py > y1) return false;
    const int r = radius * kUnit;
    const int dx = std::max({0, x0 + r - px, px - (x1 - r)});
    const int dy = std::max({0, y0 + r - py, py - (y1 - r)});
    return dx * dx + dy * dy <= r * r;
}

// The colour of the frame's inside at a pixel: the title band, the side and bottom frames with
// their bevel line next to the centre, and the centre's vertical gradient.
Rgb Fill(const Layout& l, int x, int y) {
    if (y < l.top) {
        if (y == 1) return kTitleHighlight;
        if (y == l.top - 1) return kTitleSeparator;
        return Mix(kTitleTop, kTitleBottom, y, l.top - 1);
    }
    const int bottomStart = l.height - l.bottom;
    const int centreRows = bottomStart - l.top;
    // The centre reaches over the first column of the right band and the first row of the
    // bottom band (the skin's one-pixel overlap), so those carry the centre's colours; a bevel
    // line runs round it.
    const int innerRight = l.width - l.right;
    if (x >= l.left && x <= innerRight && y <= bottomStart)
        return Mix(kCentreTop, kCentreBottom, std::min(y - l.top, centreRows - 1), centreRows - 1);
    const bool bevel = x >= l.left - 1 && x <= innerRight + 1 && y <= bottomStart + 1 &&
                       (x == l.left - 1 || x == innerRight + 1 || y == bottomStart + 1);
    return bevel ? kFrameBevel : kFrame;
}

void PutU32(std::string& out, uint32_t v) {
    out += char(v >> 24);
    out += char(v >> 16);
    out += char(v >> 8);
    out += char(v);
}

void PutChunk(std::string& out, const char* type, const std::string& data) {
    PutU32(out, uint32_t(data.size()));
    const std::string body = std::string(type, 4) + data;
    out += body;
    PutU32(out, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
}

}  // namespace

Image DrawBackground(const Layout& l) {
    Image image;
    image.width = l.width;
    image.height = l.height;
    image.rgba.resize(size_t(l.width) * size_t(l.height) * 4);
    for (int y = 0; y < l.height; ++y) {
        for (int x = 0; x < l.width; ++x) {
            int outer = 0, inner = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const int px = x * kUnit + 2 * sx + 1;
                    const int py = y * kUnit + 2 * sy + 1;
                    if (!Inside(l, px, py, 0, l.radius)) continue;
                    ++outer;
                    if (Inside(l, px, py, 1, l.radius - 1)) ++inner;
                }
            }
            uint8_t* p = &image.rgba[(size_t(y) * size_t(l.width) + size_t(x)) * 4];
            if (outer == 0) continue;  // outside the frame: transparent
            const Rgb fill = Fill(l, x, y);
            const int ring = outer - inner;
            p[0] = uint8_t((fill.r * inner + kOutline.r * ring) / outer);
            p[1] = uint8_t((fill.g * inner + kOutline.g * ring) / outer);
            p[2] = uint8_t((fill.b * inner + kOutline.b * ring) / outer);
            p[3] = uint8_t(outer * 255 / (kSamples * kSamples));
        }
    }
    return image;
}

std::string EncodePng(const Image& image) {
    std::string raw;
    const size_t stride = size_t(image.width) * 4;
    for (int y = 0; y < image.height; ++y) {
        raw += '\0';  // no filter: the image is small, the choice barely matters
        raw.append(reinterpret_cast<const char*>(&image.rgba[size_t(y) * stride]), stride);
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  uLong(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        throw std::runtime_error("zlib could not compress the image");
    compressed.resize(size);

    std::string header;
    PutU32(header, uint32_t(image.width));
    PutU32(header, uint32_t(image.height));
    header += char(8);  // bit depth
    header += char(6);  // RGBA
    header += std::string(3, '\0');
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", compressed);
    PutChunk(png, "IEND", "");
    return png;
}

}  // namespace tessel::art
