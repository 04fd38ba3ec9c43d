#pragma once
// Word wrapping of a balloon's text, measured once and laid out at any width. Lines break at CR,
// LF or CR LF; tabs become blanks up to the next multiple of eight characters (as DrawText's
// tab expansion would place them), so the lines drawn are the lines measured. A line wraps at
// blanks; a word wider than the width breaks between characters, never inside a surrogate pair,
// so no width makes the text wider than the width plus one character.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/text_measure.h"

namespace tessel {

class TWrappedText {
public:
    // Measures with the surface's current font.
    TWrappedText(ITextMeasure& measure, std::u16string_view text);

    // The widest line and the height of all lines when wrapped at width (a width of 0 or less
    // wraps at blanks only where a line break stands).
    TTextSize SizeAt(int32_t width) const;
    std::vector<std::u16string> LinesAt(int32_t width) const;
    int32_t LineHeight() const { return lineHeight_; }

private:
    // A run of characters without a blank, or one blank; each knows its width.
    struct Piece {
        size_t Begin = 0;
        size_t End = 0;
        int32_t Width = 0;
        bool Blank = false;
        bool LineBreak = false;  // ends its line
    };
    template <class Emit>
    void Wrap(int32_t width, Emit&& emit) const;
    int32_t CharsWidth(size_t begin, size_t end) const;

    std::u16string text_;
    std::vector<Piece> pieces_;
    std::vector<int32_t> charWidths_;  // per code unit: a surrogate pair's width sits on its first unit
    int32_t lineHeight_ = 0;
};

}  // namespace tessel
