#include "ui/skin_plan.h"

namespace tessel {

namespace {

void Add(std::vector<TSkinBlit>& plan, const TRect& source, const TRect& dest) {
    if (source.Empty() || dest.Empty()) return;
    plan.push_back({source, dest});
}

// The band's start and end copied at their size, the part between stretched when it has room.
void StretchRow(std::vector<TSkinBlit>& plan, const TSkinBand& band, const TRect& s, const TRect& d) {
    const int32_t m1 = band.Margin1;
    const int32_t m2 = band.Margin2;
    if (m1 > 0) Add(plan, {s.Left, s.Top, s.Left + m1, s.Bottom}, {d.Left, d.Top, d.Left + m1, d.Bottom});
    if (m2 > 0) Add(plan, {s.Right - m2, s.Top, s.Right, s.Bottom}, {d.Right - m2, d.Top, d.Right, d.Bottom});
    if (m1 + m2 < d.Width())
        Add(plan, {s.Left + m1, s.Top, s.Right - m2, s.Bottom}, {d.Left + m1, d.Top, d.Right - m2, d.Bottom});
}

void StretchColumn(std::vector<TSkinBlit>& plan, const TSkinBand& band, const TRect& s, const TRect& d) {
    const int32_t m1 = band.Margin1;
    const int32_t m2 = band.Margin2;
    if (m1 > 0) Add(plan, {s.Left, s.Top, s.Right, s.Top + m1}, {d.Left, d.Top, d.Right, d.Top + m1});
    if (m2 > 0) Add(plan, {s.Left, s.Bottom - m2, s.Right, s.Bottom}, {d.Left, d.Bottom - m2, d.Right, d.Bottom});
    if (m1 + m2 < d.Height())
        Add(plan, {s.Left, s.Top + m1, s.Right, s.Bottom - m2}, {d.Left, d.Top + m1, d.Right, d.Bottom - m2});
}

}  // namespace

std::vector<TSkinBlit> PlanSkin(const TSkinBands& bands, int32_t sw, int32_t sh, int32_t w, int32_t h) {
    std::vector<TSkinBlit> plan;
    if (sw <= 0 || sh <= 0 || w <= 0 || h <= 0) return plan;
    const int32_t left = bands.Left.Len;
    const int32_t top = bands.Top.Len;
    const int32_t right = bands.Right.Len;
    const int32_t bottom = bands.Bottom.Len;

    StretchRow(plan, bands.Top, {0, 0, sw, top}, {0, 0, w, top});
    StretchRow(plan, bands.Bottom, {0, sh - bottom, sw, sh}, {0, h - bottom, w, h});
    StretchColumn(plan, bands.Left, {0, top, left, sh - bottom}, {0, top, left, h - bottom});
    StretchColumn(plan, bands.Right, {sw - right, top, sw, sh - bottom}, {w - right, top, w, h - bottom});
    // The centre reaches one pixel into the right and bottom bands.
    Add(plan, {left, top, sw - right, sh - bottom}, {left, top, w - right + 1, h - bottom + 1});
    return plan;
}

void MapToSource(const TSkinBlit& blit, int32_t x, int32_t y, int32_t& sourceX, int32_t& sourceY) {
    const int64_t dx = x - blit.Dest.Left;
    const int64_t dy = y - blit.Dest.Top;
    sourceX = blit.Source.Left + int32_t(dx * blit.Source.Width() / blit.Dest.Width());
    sourceY = blit.Source.Top + int32_t(dy * blit.Source.Height() / blit.Dest.Height());
}

}  // namespace tessel
