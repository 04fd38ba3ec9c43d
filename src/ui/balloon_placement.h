#pragma once
// Where a balloon opens: the room around the spot its arrow points at, the side it opens on, its
// window's size and position, and its shape (a rounded rectangle united with the arrow's
// triangle). Placements: 0 above and to the left of the spot (arrow at the bottom, near the right
// edge), 1 above and to the right, 2 below and to the left (arrow at the top, near the right edge),
// 3 below and to the right.
#include <array>
#include <cstdint>

#include "ui/skin_plan.h"

namespace tessel {

inline constexpr int32_t kArrowHeight = 20;
inline constexpr int32_t kArrowWidth = 20;
// From the balloon's left or right edge to the arrow's vertical side, whose tip is the spot.
inline constexpr int32_t kArrowOffset = 20;
inline constexpr int32_t kBalloonCorner = 7;  // corner ellipses of every rounded shape
// Inset of the content panel's shape, so the outline drawn on the window stays visible.
inline constexpr int32_t kBalloonBorderWidth = 1;
// The smallest content panel a balloon is laid out for, however little room the screen leaves.
inline constexpr int32_t kMinPanelWidth = kArrowOffset + kArrowWidth;
inline constexpr int32_t kMinPanelHeight = 30;

// The lengths above at a display resolution (they are for 96 DPI).
struct TBalloonMetrics {
    int32_t ArrowHeight = kArrowHeight;
    int32_t ArrowWidth = kArrowWidth;
    int32_t ArrowOffset = kArrowOffset;
    int32_t Corner = kBalloonCorner;
    int32_t BorderWidth = kBalloonBorderWidth;
    int32_t MinPanelWidth = kMinPanelWidth;
    int32_t MinPanelHeight = kMinPanelHeight;
    int32_t ScreenMargin = 10;  // the room kept from the screen's edge

    static TBalloonMetrics At(int32_t dpi);
};

struct TBalloonSize {
    int32_t Width = 0;
    int32_t Height = 0;
    bool operator==(const TBalloonSize&) const = default;
};

struct TBalloonRooms {
    int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
};

// The room on each side of the anchor rectangle inside the screen area (the monitor the spot is
// on); the spot is the anchor's top-left corner.
TBalloonRooms BalloonRooms(const TRect& anchor, const TRect& screen, const TBalloonMetrics& m = {});

// The placement of the largest of the four areas (ties to the first of top-left 0, bottom-left 2,
// top-right 1, bottom-right 3) and the content size that area allows: never below the minimum,
// and never so large that the window would not fit on the screen area (the rooms count the
// arrow's offset as room, which near a screen edge lies off the screen).
int LargestAreaPlacement(const TBalloonRooms& rooms);
TBalloonSize MaxContentSize(const TBalloonRooms& rooms, const TRect& screen, const TBalloonMetrics& m = {});

// The requested placement if the panel fits there, else the next ones in the order 0, 1, 2, 3,
// 0, ...; when none fits, the placement of the largest area.
int ChoosePlacement(int requested, TBalloonSize panel, const TBalloonRooms& rooms);

struct TBalloonFrame {
    int Placement = 0;
    TRect Window;           // screen coordinates
    int32_t PanelTop = 0;   // the content panel's top in the window; its left is 0
};

// The window for a content panel at the placement, its arrow's tip at the anchor's corner that
// the placement names, moved back inside the screen area where it would leave it.
TBalloonFrame BalloonFrame(int placement, TBalloonSize panel, const TRect& anchor, const TRect& screen,
                           const TBalloonMetrics& m = {});

struct TBalloonPoint {
    int32_t X = 0, Y = 0;
    bool operator==(const TBalloonPoint&) const = default;
};

// The window's shape in window coordinates: Body with corner ellipses of m.Corner, united with the
// Arrow triangle (filled with the winding rule).
struct TBalloonShape {
    TRect Body;
    std::array<TBalloonPoint, 3> Arrow;
};
TBalloonShape BalloonShape(int placement, int32_t width, int32_t height, const TBalloonMetrics& m = {});

// The content panel's rounded shape in panel coordinates.
TRect PanelShape(TBalloonSize panel, const TBalloonMetrics& m = {});

}  // namespace tessel
