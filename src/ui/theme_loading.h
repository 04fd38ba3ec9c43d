#pragma once
// Loading the theme so that the windows always get one they can draw with. A description that is
// missing, does not parse or holds a size or band value that is not a number is replaced whole by
// the built-in look (the default theme's fonts, colours and bands, without an image: the skin
// paints a plain background); a damaged image leaves the fonts and bands read and only the image
// out. Values that are numbers but would make the windows unusable are brought into their
// ranges. Every problem comes back as one text naming the file, for the caller to show once.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

class TTheme;

// The built-in look: the shipped default theme without its background image.
extern const std::string_view kBuiltInThemeText;

// The ranges theme values are kept in. Font sizes are points: the grid is eight columns of two
// characters of the day font, so 36 points still fit the calendar on a 1280 x 800 screen. Band
// lengths and margins are pixels.
struct ThemeRange {
    int32_t Min;
    int32_t Max;
};
inline constexpr ThemeRange kFontSizeRange{6, 36};
inline constexpr ThemeRange kBandLengthRange{0, 100};
inline constexpr ThemeRange kBandMarginRange{0, 1000};

// Loads the theme named "default" under theme.ThemeRoot; never raises. Answers the problems met,
// at most one text per kind (missing folder, damaged description, damaged image, values out of
// range), each saying what the calendar does instead.
std::vector<std::string> LoadThemeForStart(TTheme& theme);

// The theme's description and the image it names as they stand on disk: changes whenever either
// is written, replaced or removed, so that its problems can be told once per change of its files.
std::string ThemeFilesStamp(const TTheme& theme);

// Brings the read font sizes (and the sizes derived from them) and the four bands' attributes in
// theme.Doc into their ranges; answers one note per value changed, "font-day/size 5000 -> 72".
std::vector<std::string> ClampThemeValues(TTheme& theme);

}  // namespace tessel
