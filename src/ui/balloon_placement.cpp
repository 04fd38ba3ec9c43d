#include "ui/balloon_placement.h"

#include <algorithm>

#include "ui/dpi_scale.h"

namespace tessel {

namespace {

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

TBalloonMetrics TBalloonMetrics::At(int32_t dpi) {
    TBalloonMetrics m;
    for (int32_t* length : {&m.ArrowHeight, &m.ArrowWidth, &m.ArrowOffset, &m.Corner, &m.BorderWidth, &m.MinPanelWidth,
                            &m.MinPanelHeight, &m.ScreenMargin})
        *length = ScaleToDpi(*length, dpi);
    return m;
}

TBalloonRooms BalloonRooms(const TRect& anchor, const TRect& screen, const TBalloonMetrics& m) {
    const int32_t hw = anchor.Width() / 2, hh = anchor.Height() / 2;
    const int32_t x = anchor.Left, y = anchor.Top;
    return {x - screen.Left - hw + m.ArrowOffset - m.ScreenMargin, y - screen.Top - hh - m.ArrowHeight - m.ScreenMargin,
            screen.Right - x - hw + m.ArrowOffset - m.ScreenMargin,
            screen.Bottom - y - hh - m.ArrowHeight - m.ScreenMargin};
}

int LargestAreaPlacement(const TBalloonRooms& rooms) { return Largest(Areas(rooms)).Placement; }

TBalloonSize MaxContentSize(const TBalloonRooms& rooms, const TRect& screen, const TBalloonMetrics& m) {
    // Two negative rooms make a large positive area: only a quadrant with room on both sides
    // can win over one without.
    auto areas = Areas(rooms);
    for (Area& a : areas)
        if (a.Content.Width <= 0 || a.Content.Height <= 0) a.Size = std::min<int64_t>(a.Size, 0) - 1;
    const TBalloonSize content = Largest(areas).Content;
    const int32_t width = std::min(content.Width, screen.Width() - 1);
    const int32_t height = std::min(content.Height, screen.Height() - m.ArrowHeight - 3);
    return {std::max(width, m.MinPanelWidth), std::max(height, m.MinPanelHeight)};
}

int ChoosePlacement(int requested, TBalloonSize panel, const TBalloonRooms& rooms) {
    for (int i = 0; i < 4; ++i) {
        const int placement = (((requested % 4) + 4) % 4 + i) % 4;
        if (Fits(placement, panel, rooms)) return placement;
    }
    return LargestAreaPlacement(rooms);
}

TBalloonFrame BalloonFrame(int placement, TBalloonSize panel, const TRect& anchor, const TRect& screen,
                           const TBalloonMetrics& m) {
    const bool above = placement < 2;
    const bool leftward = placement == 0 || placement == 2;
    const int32_t ax = leftward ? anchor.Left : anchor.Right;
    const int32_t ay = above ? anchor.Top : anchor.Bottom;

    TBalloonFrame frame;
    frame.Placement = placement;
    frame.PanelTop = above ? 0 : m.ArrowHeight + 2;
    int32_t height = above ? panel.Height + m.ArrowHeight - 1 : frame.PanelTop + panel.Height + 1;
    int32_t width = std::max(panel.Width + 1, m.ArrowOffset + m.ArrowWidth + 1);
    height = std::max(height, m.ArrowHeight + 2);

    int32_t left = leftward ? ax + m.ArrowOffset - width : ax - m.ArrowOffset;
    int32_t top = above ? ay - height : ay - 2;
    // Near a screen edge the arrow's offset (or a screen smaller than the balloon) would put part
    // of the window off the monitor: it moves back in, the arrow then points beside the spot.
    left = std::max(std::min(left, screen.Right - width), screen.Left);
    top = std::max(std::min(top, screen.Bottom - height), screen.Top);
    frame.Window = {left, top, left + width, top + height};
    return frame;
}

TBalloonShape BalloonShape(int placement, int32_t w, int32_t h, const TBalloonMetrics& m) {
    TBalloonShape shape;
    switch (placement) {
    case 0:
        shape.Body = {0, 0, w, h - m.ArrowHeight + 2};
        shape.Arrow = {{{w - m.ArrowWidth - m.ArrowOffset, h - m.ArrowHeight}, {w - m.ArrowOffset, h},
                        {w - m.ArrowOffset, h - m.ArrowHeight}}};
        break;
    case 1:
        shape.Body = {0, 0, w, h - m.ArrowHeight + 2};
        shape.Arrow = {{{m.ArrowOffset, h - m.ArrowHeight}, {m.ArrowOffset, h},
                        {m.ArrowOffset + m.ArrowWidth, h - m.ArrowHeight}}};
        break;
    case 3:
        shape.Body = {0, m.ArrowHeight + 2, w, h};
        shape.Arrow = {{{m.ArrowOffset, 2}, {m.ArrowOffset, m.ArrowHeight + 2},
                        {m.ArrowOffset + m.ArrowWidth, m.ArrowHeight + 2}}};
        break;
    default:  // 2
        shape.Body = {0, m.ArrowHeight + 2, w, h};
        shape.Arrow = {{{w - m.ArrowOffset, 2}, {w - m.ArrowOffset, m.ArrowHeight + 2},
                        {w - m.ArrowOffset - m.ArrowWidth, m.ArrowHeight + 2}}};
        break;
    }
    return shape;
}

TRect PanelShape(TBalloonSize panel, const TBalloonMetrics& m) {
    return {m.BorderWidth, m.BorderWidth, panel.Width - m.BorderWidth + 1,
            panel.Height - m.BorderWidth + 1};
}

}  // namespace tessel
