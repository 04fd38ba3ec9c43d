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

bool IsLightColor(TColor color) {
    const uint32_t red = color & 0xFF;
    const uint32_t green = (color >> 8) & 0xFF;
    const uint32_t blue = (color >> 16) & 0xFF;
    return 5 * red + 10 * green + 3 * blue > 3200;
}

}  // namespace tessel
