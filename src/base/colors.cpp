#include "base/colors.h"

#include <string>

#include "base/strict_int.h"

namespace tessel {

namespace {

// The pair goes through the strict conversion with a "$", so its error names the text it read.
TColor HexPair(std::string_view text, size_t first) {
    return static_cast<TColor>(StrToInt("$" + std::string(text.substr(first, 2))));
}

}  // namespace

TColor ParseColor(std::string_view text) {
    if (text.size() < 6) return kWhite;
    if (text.size() == 7) text.remove_prefix(1);
    return HexPair(text, 0) + HexPair(text, 2) * 0x100 + HexPair(text, 4) * 0x10000;
}

TColor ShadeOf(TColor color, uint32_t percent) {
    if (percent > 100) percent = 100;
    TColor shade = 0;
    for (int shift = 0; shift < 24; shift += 8) shade |= ((color >> shift & 0xFF) * percent / 100) << shift;
    return shade;
}

bool IsLightColor(TColor color) {
    const uint32_t red = color & 0xFF;
    const uint32_t green = (color >> 8) & 0xFF;
    const uint32_t blue = (color >> 16) & 0xFF;
    return 5 * red + 10 * green + 3 * blue > 3200;
}

}  // namespace tessel
