#include "e2e_png.h"

#include <zlib.h>

#include <fstream>
#include <string>

namespace tessel::e2e {

namespace {

void PutBigEndian(std::string& out, uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(char((value >> shift) & 0xFF));
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
    PutBigEndian(png, uint32_t(data.size()));
    const std::string typed = std::string(type, 4) + data;
    png += typed;
    PutBigEndian(png, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(typed.data()), uInt(typed.size()))));
}

}  // namespace

bool SavePng(const Image& image, const std::filesystem::path& path) {
    if (image.Empty()) return false;
    // Each row: filter type 0, then R, G, B per pixel.
    std::string raw;
    raw.reserve(size_t(image.Height) * (1 + size_t(image.Width) * 3));
    for (int y = 0; y < image.Height; ++y) {
        raw.push_back('\0');
        for (int x = 0; x < image.Width; ++x) {
            const COLORREF c = image.At(x, y);
            raw.push_back(char(GetRValue(c)));
            raw.push_back(char(GetGValue(c)));
            raw.push_back(char(GetBValue(c)));
        }
    }
    uLongf size = compressBound(uLong(raw.size()));
    std::string compressed(size, '\0');
    if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size, reinterpret_cast<const Bytef*>(raw.data()),
                  uLong(raw.size()), Z_BEST_COMPRESSION) != Z_OK)
        return false;
    compressed.resize(size);

    std::string header;
    PutBigEndian(header, uint32_t(image.Width));
    PutBigEndian(header, uint32_t(image.Height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter choice, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    PutChunk(png, "IHDR", header);
    PutChunk(png, "IDAT", compressed);
    PutChunk(png, "IEND", "");
    std::ofstream out(path, std::ios::binary);
    out.write(png.data(), std::streamsize(png.size()));
    return bool(out);
}

}  // namespace tessel::e2e
