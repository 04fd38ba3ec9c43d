#pragma once
// The drawing surface the theme measures its fonts on and the labels draw through: a current
// font (face, size, styles and colour, like a window's canvas font) and text in it. GDI stands
// behind it in the Windows build (win32_text_measure.h); tests use a deterministic fake, so the
// theme's measuring rules are checked without a display.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/colors.h"

namespace tessel {

// A window's font object: what ApplyFont copies a theme font into.
struct TCanvasFont {
    std::string Name;
    int32_t Size = 0;  // points
    TColor Color = 0;
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;

    bool operator==(const TCanvasFont&) const = default;
};

struct TTextSize {
    int32_t Width = 0;
    int32_t Height = 0;
};

class ITextMeasure {
public:
    virtual ~ITextMeasure() = default;
    // The font that the following measurements (and drawings) use; change it in place.
    virtual TCanvasFont& Font() = 0;
    virtual TTextSize TextExtent(std::u16string_view text) = 0;

    int32_t TextWidth(std::u16string_view text) { return TextExtent(text).Width; }
    int32_t TextHeight(std::u16string_view text) { return TextExtent(text).Height; }
};

// A surface that also draws: what a label's OnDrawText handler receives.
class ICanvas : public ITextMeasure {
public:
    // Draws the text with its top left corner at (x, y) in the font's colour, on a clear background.
    virtual void DrawTextAt(int32_t x, int32_t y, std::u16string_view text) = 0;
};

}  // namespace tessel
