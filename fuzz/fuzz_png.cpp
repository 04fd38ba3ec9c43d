// DecodePng on arbitrary bytes: every input either decodes or raises EPngError; anything else
// (a crash, an out-of-bounds access, another exception) is a fault. Each input is tried twice: as
// it is, and with every chunk's CRC made right, so mutations reach past the CRC checks into the
// chunk order, inflate, filter and pixel code.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "ui/png.h"

namespace {

void Decode(std::string_view bytes) {
    try {
        const tessel::PngImage image = tessel::DecodePng(bytes);
        if (image.rgba.size() != static_cast<std::size_t>(image.width) * image.height * 4) __builtin_trap();
        if (tessel::FlattenOnWhite(image).size() != image.rgba.size()) __builtin_trap();
    } catch (const tessel::EPngError&) {
    }
}

std::string WithRightCrcs(std::string bytes) {
    std::size_t pos = 8;
    while (bytes.size() >= pos + 12) {
        const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + pos);
        const std::uint32_t length = (std::uint32_t{p[0]} << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
        if (length > bytes.size() - pos - 12) break;
        const auto crc = crc32(0, p + 4, length + 4);
        for (int i = 0; i < 4; ++i) bytes[pos + 8 + length + i] = static_cast<char>(crc >> (24 - 8 * i));
        pos += std::size_t{length} + 12;
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    Decode(bytes);
    Decode(WithRightCrcs(std::string(bytes)));
    return 0;
}
