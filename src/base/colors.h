#pragma once
// Colours as the windows and the theme keep them: 0x00BBGGRR, red in the lowest byte.
#include <cstdint>
#include <string_view>

namespace tessel {

using TColor = uint32_t;

constexpr TColor kWhite = 0xFFFFFF;

// Six hexadecimal digits RRGGBB; a seven-character text has a prefix ("#", "$") that is skipped,
// characters after the sixth digit are ignored, and a text of fewer than six characters is white.
// A pair that is not hexadecimal raises EConvertError "'$zz' is not a valid integer value".
TColor ParseColor(std::string_view text);

// The colour with each channel scaled to percent of its value (0 to 100): a darker shade.
TColor ShadeOf(TColor color, uint32_t percent);

// Whether the colour is light enough to need a dark shadow behind text drawn in it.
bool IsLightColor(TColor color);

}  // namespace tessel
