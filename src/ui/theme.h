#pragma once
// The theme: the fonts and colours of the month grid, the event list and the title labels, the
// title colour of the filled shapes, and the background image the skins paint the borderless
// windows from. A theme is a folder with a description file "profile.xml" and the image it
// names; the description's root also holds the four skin bands (skin.h).
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/colors.h"
#include "ui/text_measure.h"
#include "xml/xdata_node.h"

namespace tessel {

// One theme font. TextHeight and CharWidth stay 0 until the font is measured.
struct TCalFont {
    int32_t Size = 0;
    TColor Color = 0;
    int32_t TextHeight = 0;  // height of "HPM"
    int32_t CharWidth = 0;   // width of "HPMWDFG" div 7
    std::string Name;
    bool Bold = false;
    bool Italic = false;

    bool operator==(const TCalFont&) const = default;
};

// The decoded background, flattened onto white: Width * Height pixels of 4 bytes B, G, R and the
// image's own alpha, rows top to bottom (a 32-bit top-down DIB's layout; GDI's copies ignore the
// fourth byte, the skin's window shape reads it). Empty when the theme has no image.
struct TThemeImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Bgra;

    bool Empty() const { return Width <= 0 || Height <= 0; }
    // The pixel as a colour 0x00BBGGRR; (x, y) must lie inside the image.
    TColor PixelAt(int32_t x, int32_t y) const;
    uint8_t AlphaAt(int32_t x, int32_t y) const { return Bgra[(size_t(y) * size_t(Width) + size_t(x)) * 4 + 3]; }
};

// The theme's fonts measured at one resolution: TextHeight and CharWidth in that resolution's
// pixels. Each window lays out with the set of its own resolution, so a window on a monitor of
// another scale has text sizes of its own.
struct TThemeFonts {
    int32_t Dpi = 0;
    TCalFont DateFont;
    TCalFont EventFont;
    TCalFont WeekFont;
    TCalFont DayFont;
    TCalFont Day2Font;
    TCalFont WeekNoFont;
};

class TTheme {
public:
    TTheme();

    // Reads ThemeRoot + name + separator + "profile.xml" (an empty name means "default"). A
    // missing description leaves the theme as it was. A size that is not an integer raises
    // "'<text>' is not a valid integer value" with the fonts read before it already replaced; a
    // damaged image raises the decoder's error and leaves Background empty.
    void Load(std::u16string_view name = {});
    // Steps of Load after the file is read: the description's text in place of the file's
    // (ThemeFolder stays as it is; a background image is looked for there). A parse error names
    // the source file when one is given.
    void LoadText(std::u16string_view text, std::u16string_view source = {});

    // Sets the canvas font from each theme font in turn and measures it: EventFont, DateFont,
    // WeekFont, DayFont, WeekNoFont, Day2Font (the canvas keeps Day2Font's face, size and styles).
    void Measure(ITextMeasure& canvas);
    static void MeasureFont(ITextMeasure& canvas, TCalFont& font);
    // The fonts measured at dpi on canvas, whose fonts must be made at that resolution. Each
    // resolution is measured once until the next load, so windows at the same one share the work.
    TThemeFonts FontsAt(int32_t dpi, ITextMeasure& canvas);
    // Face, size and colour, then the styles reset to bold and italic as the font says.
    static void ApplyFont(TCanvasFont& target, const TCalFont& font);

    // The folder holding the theme folders, with a trailing separator; set before the first Load.
    std::u16string ThemeRoot;
    // ThemeRoot + name + separator, set by Load.
    std::u16string ThemeFolder;

    // The parsed description; replaced whole by every Load that reads a file.
    std::unique_ptr<TxdataNode> Doc;
    TColor TitleColor = 0;
    TThemeImage Background;
    TCalFont DateFont;
    TCalFont EventFont;
    TCalFont WeekFont;
    TCalFont DayFont;
    TCalFont Day2Font;
    TCalFont WeekNoFont;
    TCalFont DayNowFont;
    TCalFont TitleFont;

private:
    std::vector<TThemeFonts> measured_;

    void ReadFont(std::u16string_view element, TCalFont& font);
    void LoadBackground();
};

// The description file's name inside a theme folder.
inline constexpr char16_t kThemeDescription[] = u"profile.xml";
inline constexpr char16_t kDefaultThemeName[] = u"default";

}  // namespace tessel
