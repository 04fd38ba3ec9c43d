#pragma once
// Text drawing shared by the windows: text with a drop shadow (the grid's cells, the event
// rows) and the text of the program's own labels. The rules that need no device live here; the
// GDI drawing is in win32_drawing.h.
#include <cstdint>
#include <string>
#include <string_view>

#include "base/colors.h"

namespace tessel {

// Whether wide-character text drawing is available; every text drawing does nothing while it is
// false. Set once at program start (InitWideDrawing in win32_drawing.h).
bool WideDrawing();
void SetWideDrawing(bool available);

inline constexpr TColor kShadowColor = 0x2A2A2A;

// DrawText flags, as the helpers pass them.
inline constexpr uint32_t kDtCenter = 0x1;
inline constexpr uint32_t kDtRight = 0x2;
inline constexpr uint32_t kDtWordBreak = 0x10;
inline constexpr uint32_t kDtExpandTabs = 0x40;
inline constexpr uint32_t kDtCalcRect = 0x400;
inline constexpr uint32_t kDtNoPrefix = 0x800;
inline constexpr uint32_t kDtRtlReading = 0x20000;
// Measuring a shadowed text: calculate rectangle, no prefix, expand tabs, word break.
inline constexpr uint32_t kShadowMeasureFlags = kDtCalcRect | kDtNoPrefix | kDtExpandTabs | kDtWordBreak;
// Drawing it: no prefix, expand tabs, word break.
inline constexpr uint32_t kShadowDrawFlags = kDtNoPrefix | kDtExpandTabs | kDtWordBreak;

// DrawShadowText's alignments: centred in the rectangle, or 2 pixels right of its left edge.
inline constexpr int kShadowCentred = 0;
inline constexpr int kShadowIndented = 1;

struct TShift {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TShift&) const = default;
};

// How far the measured text rectangle moves inside the given one: centred (integer division
// towards zero, so a text larger than the rectangle moves up or left), 2 pixels right, or not
// at all for any other alignment.
TShift ShadowTextShift(int32_t boxWidth, int32_t boxHeight, int32_t textWidth, int32_t textHeight, int align);

// What a label draws its text with.
struct TLabelLook {
    bool Enabled = true;
    bool ShowAccelChar = true;  // "&" marks the next character as an accelerator
    bool RightToLeft = false;
    TColor FontColor = 0;
};

// The text a label draws: an empty text being measured, and a lone "&" of a label that shows
// accelerators, get a blank added so they still measure one line.
std::u16string LabelTextToDraw(std::u16string_view text, uint32_t flags, const TLabelLook& look);
// The flags a label draws with: DT_NOPREFIX unless it shows accelerators, and for a
// right-to-left label the alignment mirrored and right-to-left reading added.
uint32_t LabelDrawFlags(uint32_t flags, const TLabelLook& look);
// Whether a label's text gets the dark shadow: an enabled label in a light colour.
bool LabelNeedsShadow(const TLabelLook& look);

}  // namespace tessel
