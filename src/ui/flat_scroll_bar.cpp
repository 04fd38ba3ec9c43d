#include "ui/flat_scroll_bar.h"

#include <algorithm>
#include <cmath>

namespace tessel {

namespace {

// Rounded a * b / c, in 64 bits; c > 0.
int32_t ScaledRound(int64_t a, int64_t b, int64_t c) {
    return int32_t(std::llround(double(a) * double(b) / double(c)));
}

}  // namespace

int32_t TFlatScrollBar::MaxPosition() const { return std::max(Range - Page, 0); }

int32_t TFlatScrollBar::Clamp(int32_t position) const { return std::clamp(position, 0, MaxPosition()); }

int32_t TFlatScrollBar::ArrowLength() const { return std::max(std::min(Thickness, Length / 2), 0); }

TFlatScrollSpan TFlatScrollBar::Thumb() const {
    const int32_t trackStart = ArrowLength(), trackLength = Length - 2 * ArrowLength();
    const int32_t max = MaxPosition();
    if (max <= 0 || Range <= 0 || trackLength < kFlatScrollMinThumb) return {};
    const int32_t length = std::clamp(ScaledRound(trackLength, Page, Range), kFlatScrollMinThumb, trackLength);
    const int32_t start = trackStart + ScaledRound(trackLength - length, Clamp(Position), max);
    return {start, start + length};
}

TFlatScrollPart TFlatScrollBar::HitTest(int32_t along) const {
    if (along < 0 || along >= Length) return TFlatScrollPart::None;
    const int32_t arrow = ArrowLength();
    if (along < arrow) return TFlatScrollPart::LineUp;
    if (along >= Length - arrow) return TFlatScrollPart::LineDown;
    const TFlatScrollSpan thumb = Thumb();
    if (thumb.Empty()) return TFlatScrollPart::None;
    if (along < thumb.Start) return TFlatScrollPart::PageUp;
    if (along < thumb.End) return TFlatScrollPart::Thumb;
    return TFlatScrollPart::PageDown;
}

int32_t TFlatScrollBar::Stepped(TFlatScrollPart part, int32_t line) const {
    switch (part) {
    case TFlatScrollPart::LineUp: return Clamp(Position - line);
    case TFlatScrollPart::LineDown: return Clamp(Position + line);
    case TFlatScrollPart::PageUp: return Clamp(Position - Page);
    case TFlatScrollPart::PageDown: return Clamp(Position + Page);
    default: return Clamp(Position);
    }
}

int32_t TFlatScrollBar::DraggedBy(int32_t startPosition, int32_t pixels) const {
    // Not moved: the position stays, even where the thumb's pixel does not say it exactly.
    if (pixels == 0) return Clamp(startPosition);
    TFlatScrollBar start = *this;
    start.Position = startPosition;
    const TFlatScrollSpan thumb = start.Thumb();
    const int32_t free = Length - 2 * ArrowLength() - (thumb.End - thumb.Start);
    if (thumb.Empty() || free <= 0) return Clamp(startPosition);
    const int32_t offset = thumb.Start - ArrowLength() + pixels;
    return Clamp(ScaledRound(offset, MaxPosition(), free));
}

TFlatScrollLayout LayoutFlatScrollBars(int32_t width, int32_t height, int32_t contentWidth, int32_t contentHeight,
                                       int32_t thickness) {
    TFlatScrollLayout l;
    // Twice: the first bar narrows the room the other one's content has.
    for (int pass = 0; pass < 2; ++pass) {
        l.HasVertical = contentHeight > height - (l.HasHorizontal ? thickness : 0);
        l.HasHorizontal = contentWidth > width - (l.HasVertical ? thickness : 0);
    }
    l.View = {0, 0, std::max(width - (l.HasVertical ? thickness : 0), 0),
              std::max(height - (l.HasHorizontal ? thickness : 0), 0)};
    if (l.HasVertical) l.VerticalBar = {l.View.Right, 0, width, l.View.Bottom};
    if (l.HasHorizontal) l.HorizontalBar = {0, l.View.Bottom, l.View.Right, height};
    if (l.HasVertical && l.HasHorizontal) l.Corner = {l.View.Right, l.View.Bottom, width, height};
    l.Vertical = {l.View.Height(), thickness, contentHeight, l.View.Height(), 0};
    l.Horizontal = {l.View.Width(), thickness, contentWidth, l.View.Width(), 0};
    return l;
}

TFlatScrollColors FlatScrollColors(TColor background) {
    return {background, ShadeOf(background, 82), ShadeOf(background, 68), ShadeOf(background, 45)};
}

}  // namespace tessel
