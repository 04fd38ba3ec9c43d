#include "ui/balloon_placement.h"

#include <algorithm>

namespace tessel {

namespace {

// Content margins that the rooms keep from the screen's edge.
constexpr int32_t kScreenMargin = 10;

struct Area {
    int64_t Size;
    int Placement;
    TBalloonSize Content;
};

// In the order that breaks ties.
std::array<Area, 4> Areas(const TBalloonRooms& r) {
    return {{{int64_t(r.Left) * r.Top, 0, {r.Left, r.Top}},
             {int64_t(r.Left) * r.Bottom, 2, {r.Left, r.Bottom}},
             {int64_t(r.Right) * r.Top, 1, {r.Right, r.Top}},
             {int64_t(r.Right) * r.Bottom, 3, {r.Right, r.Bottom}}}};
}

const Area& Largest(const std::array<Area, 4>& areas) {
    const Area* best = &areas[0];
    for (const Area& a : areas)
        if (a.Size > best->Size) best = &a;
    return *best;
}

bool Fits(int placement, TBalloonSize panel, const TBalloonRooms& r) {
    const int32_t across = placement == 0 || placement == 2 ? r.Left : r.Right;
    const int32_t upDown = placement < 2 ? r.Top : r.Bottom;
    return panel.Width <= across && panel.Height <= upDown;
}

}  // namespace

TBalloonRooms BalloonRooms(const TRect& anchor, const TRect& screen) {
    const int32_t hw = anchor.Width() / 2, hh = anchor.Height() / 2;
    const int32_t x = anchor.Left, y = anchor.Top;
    return {x - screen.Left - hw + kArrowOffset - kScreenMargin, y - screen.Top - hh - kArrowHeight - kScreenMargin,
            screen.Right - x - hw + kArrowOffset - kScreenMargin,
            screen.Bottom - y - hh - kArrowHeight - kScreenMargin};
}

int LargestAreaPlacement(const TBalloonRooms& rooms) { return Largest(Areas(rooms)).Placement; }

TBalloonSize MaxContentSize(const TBalloonRooms& rooms, const TRect& screen) {
    // Two negative rooms make a large positive area: only a quadrant with room on both sides
    // can win over one without.
    auto areas = Areas(rooms);
    for (Area& a : areas)
        if (a.Content.Width <= 0 || a.Content.Height <= 0) a.Size = std::min<int64_t>(a.Size, 0) - 1;
    const TBalloonSize content = Largest(areas).Content;
    const int32_t width = std::min(content.Width, screen.Width() - 1);
    const int32_t height = std::min(content.Height, screen.Height() - kArrowHeight - 3);
    return {std::max(width, kMinPanelWidth), std::max(height, kMinPanelHeight)};
}

int ChoosePlacement(int requested, TBalloonSize panel, const TBalloonRooms& rooms) {
    for (int i = 0; i < 4; ++i) {
        const int placement = (((requested % 4) + 4) % 4 + i) % 4;
        if (Fits(placement, panel, rooms)) return placement;
    }
    return LargestAreaPlacement(rooms);
}

TBalloonFrame BalloonFrame(int placement, TBalloonSize panel, const TRect& anchor, const TRect& screen) {
    const bool above = placement < 2;
    const bool leftward = placement == 0 || placement == 2;
    const int32_t ax = leftward ? anchor.Left : anchor.Right;
    const int32_t ay = above ? anchor.Top : anchor.Bottom;

    TBalloonFrame frame;
    frame.Placement = placement;
    frame.PanelTop = above ? 0 : kArrowHeight + 2;
    int32_t height = above ? panel.Height + kArrowHeight - 1 : frame.PanelTop + panel.Height + 1;
    int32_t width = std::max(panel.Width + 1, kArrowOffset + kArrowWidth + 1);
    height = std::max(height, kArrowHeight + 2);

    int32_t left = leftward ? ax + kArrowOffset - width : ax - kArrowOffset;
    int32_t top = above ? ay - height : ay - 2;
    // Near a screen edge the arrow's offset (or a screen smaller than the balloon) would put part
    // of the window off the monitor: it moves back in, the arrow then points beside the spot.
    left = std::max(std::min(left, screen.Right - width), screen.Left);
    top = std::max(std::min(top, screen.Bottom - height), screen.Top);
    frame.Window = {left, top, left + width, top + height};
    return frame;
}

TBalloonShape BalloonShape(int placement, int32_t w, int32_t h) {
    TBalloonShape shape;
    switch (placement) {
    case 0:
        shape.Body = {0, 0, w, h - kArrowHeight + 2};
        shape.Arrow = {{{w - kArrowWidth - kArrowOffset, h - kArrowHeight}, {w - kArrowOffset, h},
                        {w - kArrowOffset, h - kArrowHeight}}};
        break;
    case 1:
        shape.Body = {0, 0, w, h - kArrowHeight + 2};
        shape.Arrow = {{{kArrowOffset, h - kArrowHeight}, {kArrowOffset, h},
                        {kArrowOffset + kArrowWidth, h - kArrowHeight}}};
        break;
    case 3:
        shape.Body = {0, kArrowHeight + 2, w, h};
        shape.Arrow = {{{kArrowOffset, 2}, {kArrowOffset, kArrowHeight + 2},
                        {kArrowOffset + kArrowWidth, kArrowHeight + 2}}};
        break;
    default:  // 2
        shape.Body = {0, kArrowHeight + 2, w, h};
        shape.Arrow = {{{w - kArrowOffset, 2}, {w - kArrowOffset, kArrowHeight + 2},
                        {w - kArrowOffset - kArrowWidth, kArrowHeight + 2}}};
        break;
    }
    return shape;
}

TRect PanelShape(TBalloonSize panel) {
    return {kBalloonBorderWidth, kBalloonBorderWidth, panel.Width - kBalloonBorderWidth + 1,
            panel.Height - kBalloonBorderWidth + 1};
}

}  // namespace tessel
