#pragma once
// Flat scroll bars that a window draws itself, in its own colours: where they go in the window,
// where the thumb is, what a point on a bar hits and where a click or a drag moves the content.
// A bar has a square arrow box at each end and the track between them, in which the thumb's
// length is the view's share of the content (never shorter than kFlatScrollMinThumb).
#include <cstdint>

#include "base/colors.h"
#include "ui/skin_plan.h"

namespace tessel {

inline constexpr int32_t kFlatScrollMinThumb = 10;

// The parts of a bar, from its start (top or left) to its end.
enum class TFlatScrollPart { None, LineUp, PageUp, Thumb, PageDown, LineDown };

// A span along a bar: [Start, End).
struct TFlatScrollSpan {
    int32_t Start = 0;
    int32_t End = 0;
    bool Empty() const { return End <= Start; }
    bool operator==(const TFlatScrollSpan&) const = default;
};

// One bar. Lengths in pixels along the bar; Range, Page and Position in the content's pixels.
struct TFlatScrollBar {
    int32_t Length = 0;     // the whole bar, arrow boxes included
    int32_t Thickness = 0;  // across the bar; the arrow boxes are this long too, room allowing
    int32_t Range = 0;      // the content's extent
    int32_t Page = 0;       // the view's extent
    int32_t Position = 0;   // the content's first pixel in view, 0 to MaxPosition()

    int32_t MaxPosition() const;
    int32_t Clamp(int32_t position) const;
    // Each arrow box: the thickness, or half the bar when it is shorter than two of them.
    int32_t ArrowLength() const;
    // The thumb; empty when there is nothing to scroll or the track has no room for it.
    TFlatScrollSpan Thumb() const;
    // The part at a distance along the bar; None off the bar, and on a track without a thumb.
    TFlatScrollPart HitTest(int32_t along) const;
    // The position after one press of an arrow (a line) or of the track (a page).
    int32_t Stepped(TFlatScrollPart part, int32_t line) const;
    // The position when the thumb, as it stood at the start position, is dragged by some pixels.
    int32_t DraggedBy(int32_t startPosition, int32_t pixels) const;
};

// The bars of a view of Width x Height that shows content of ContentWidth x ContentHeight: a
// vertical bar along the right edge and a horizontal one along the bottom, each only when the
// content does not fit (the one bar taking room can make the other needed), with the corner
// between them when both are there.
struct TFlatScrollLayout {
    bool HasVertical = false;
    bool HasHorizontal = false;
    TRect View;  // what is left for the content
    TRect VerticalBar;
    TRect HorizontalBar;
    TRect Corner;
    TFlatScrollBar Vertical;
    TFlatScrollBar Horizontal;
};

TFlatScrollLayout LayoutFlatScrollBars(int32_t width, int32_t height, int32_t contentWidth, int32_t contentHeight,
                                       int32_t thickness);

// The bars' colours on a background: the track is the background itself, the rest are darker
// shades of it, so the bars read as part of the window they sit in.
struct TFlatScrollColors {
    TColor Track;
    TColor Thumb;
    TColor PressedThumb;  // the thumb while it is dragged (an arrow box held down takes the thumb's)
    TColor Glyph;         // the arrows' triangles
};
TFlatScrollColors FlatScrollColors(TColor background);

}  // namespace tessel
