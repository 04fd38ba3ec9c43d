#include "ui/win32_flat_scroll_bar.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/dpi_scale.h"
#include "win32/win32_dpi.h"
#include "win32/win32_handles.h"

namespace tessel {

namespace {

// A held arrow or track scrolls once at the press, again after a pause, then steadily.
constexpr UINT kFirstRepeatMs = 300;
constexpr UINT kRepeatMs = 50;
// The thumb is narrower than the bar, so the track shows along both its sides.
constexpr int32_t kThumbInset = 2;

// The part of a bar from start to end along it, inset across it.
RECT Span(const TRect& bar, bool vertical, int32_t start, int32_t end, int32_t inset) {
    if (vertical) return {bar.Left + inset, bar.Top + start, bar.Right - inset, bar.Top + end};
    return {bar.Left + start, bar.Top + inset, bar.Left + end, bar.Bottom - inset};
}

void Fill(HDC dc, const RECT& r, TColor color) {
    win32::BrushHandle brush(CreateSolidBrush(color));
    FillRect(dc, &r, brush.get());
}

// A small solid triangle in the middle of an arrow box, pointing towards the bar's end it stands at.
void Arrow(HDC dc, const RECT& box, bool vertical, bool towardsStart, TColor color) {
    const int cx = (box.left + box.right - 1) / 2, cy = (box.top + box.bottom - 1) / 2;
    const int half = std::max(2, int(std::min(box.right - box.left, box.bottom - box.top)) / 4);
    const int tip = towardsStart ? -half / 2 - 1 : half / 2 + 1, base = towardsStart ? half / 2 : -half / 2;
    POINT p[3];
    if (vertical) {
        p[0] = {cx, cy + tip};
        p[1] = {cx - half, cy + base};
        p[2] = {cx + half, cy + base};
    } else {
        p[0] = {cx + tip, cy};
        p[1] = {cx + base, cy - half};
        p[2] = {cx + base, cy + half};
    }
    win32::BrushHandle brush(CreateSolidBrush(color));
    win32::PenHandle pen(CreatePen(PS_SOLID, 1, color));
    win32::SelectGuard selectBrush(dc, brush.get());
    win32::SelectGuard selectPen(dc, pen.get());
    Polygon(dc, p, 3);
}

}  // namespace

TFlatScrollBars::TFlatScrollBars(HWND window, TColor background, int32_t line)
    : window_(window), colors_(FlatScrollColors(background)), line_(std::max(line, 1)) {}

int32_t TFlatScrollBars::Thickness() const {
    const int dpi = win32::WindowDpi(window_);
    return std::clamp(win32::SystemMetricAt(SM_CXVSCROLL, dpi), ScaleToDpi(8, dpi), ScaleToDpi(20, dpi));
}

void TFlatScrollBars::Reset(int32_t width, int32_t height, int32_t contentWidth, int32_t contentHeight) {
    const POINT was = Offset();
    layout_ = LayoutFlatScrollBars(width, height, contentWidth, contentHeight, Thickness());
    layout_.Horizontal.Position = layout_.Horizontal.Clamp(was.x);
    layout_.Vertical.Position = layout_.Vertical.Clamp(was.y);
    InvalidateRect(window_, nullptr, FALSE);
}

bool TFlatScrollBars::HandleMouse(UINT msg, LPARAM lp) {
    const POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (held_ != TFlatScrollPart::None) {
        pointer_ = p;
        if (msg == WM_MOUSEMOVE && held_ == TFlatScrollPart::Thumb)
            MoveTo(HeldBar(), HeldBar().DraggedBy(pressPosition_, AlongHeld(p) - pressAlong_));
        if (msg == WM_LBUTTONUP) Release();
        return true;
    }
    const bool onBars = (layout_.HasVertical && layout_.VerticalBar.Contains(p.x, p.y)) ||
                        (layout_.HasHorizontal && layout_.HorizontalBar.Contains(p.x, p.y)) ||
                        layout_.Corner.Contains(p.x, p.y);
    if (!onBars) return false;
    if (msg == WM_LBUTTONDOWN) Press(p);
    // Other buttons and their releases on the bars do nothing, and a move over them is nobody's.
    return msg != WM_MOUSEMOVE;
}

void TFlatScrollBars::Press(POINT p) {
    if (layout_.Corner.Contains(p.x, p.y)) return;
    heldVertical_ = layout_.HasVertical && layout_.VerticalBar.Contains(p.x, p.y);
    const TFlatScrollPart part = HeldBar().HitTest(AlongHeld(p));
    if (part == TFlatScrollPart::None) return;
    held_ = part;
    pointer_ = p;
    pressAlong_ = AlongHeld(p);
    pressPosition_ = HeldBar().Position;
    SetCapture(window_);
    if (part != TFlatScrollPart::Thumb) {
        MoveTo(HeldBar(), HeldBar().Stepped(part, line_));
        SetTimer(window_, kRepeatTimer, kFirstRepeatMs, nullptr);
    }
    InvalidateRect(window_, nullptr, FALSE);  // the held part's look
}

void TFlatScrollBars::HandleRepeatTimer() {
    if (held_ == TFlatScrollPart::None || held_ == TFlatScrollPart::Thumb) {
        KillTimer(window_, kRepeatTimer);
        return;
    }
    SetTimer(window_, kRepeatTimer, kRepeatMs, nullptr);
    // Only while the pointer stays on the held part: a held track stops once the thumb reaches it.
    if (HeldRect().Contains(pointer_.x, pointer_.y) && HeldBar().HitTest(AlongHeld(pointer_)) == held_)
        MoveTo(HeldBar(), HeldBar().Stepped(held_, line_));
}

void TFlatScrollBars::Release() {
    held_ = TFlatScrollPart::None;  // first: releasing the capture comes back as CaptureLost
    KillTimer(window_, kRepeatTimer);
    if (GetCapture() == window_) ReleaseCapture();
    InvalidateRect(window_, nullptr, FALSE);
}

void TFlatScrollBars::CaptureLost() {
    if (held_ != TFlatScrollPart::None) Release();
}

void TFlatScrollBars::ScrollLines(int lines) {
    MoveTo(layout_.Vertical, layout_.Vertical.Clamp(layout_.Vertical.Position + lines * line_));
}

void TFlatScrollBars::MoveTo(TFlatScrollBar& bar, int32_t position) {
    if (position == bar.Position) return;
    bar.Position = position;
    InvalidateRect(window_, nullptr, FALSE);
}

void TFlatScrollBars::Paint(HDC dc) const {
    if (layout_.HasVertical) PaintBar(dc, layout_.Vertical, layout_.VerticalBar, true);
    if (layout_.HasHorizontal) PaintBar(dc, layout_.Horizontal, layout_.HorizontalBar, false);
    if (!layout_.Corner.Empty()) {
        const TRect& c = layout_.Corner;
        Fill(dc, RECT{c.Left, c.Top, c.Right, c.Bottom}, colors_.Track);
    }
}

void TFlatScrollBars::PaintBar(HDC dc, const TFlatScrollBar& bar, const TRect& rect, bool vertical) const {
    Fill(dc, RECT{rect.Left, rect.Top, rect.Right, rect.Bottom}, colors_.Track);
    const bool holding = held_ != TFlatScrollPart::None && heldVertical_ == vertical;
    const int32_t arrow = bar.ArrowLength();
    const RECT up = Span(rect, vertical, 0, arrow, 0), down = Span(rect, vertical, bar.Length - arrow, bar.Length, 0);
    if (holding && held_ == TFlatScrollPart::LineUp) Fill(dc, up, colors_.Thumb);
    if (holding && held_ == TFlatScrollPart::LineDown) Fill(dc, down, colors_.Thumb);
    Arrow(dc, up, vertical, true, colors_.Glyph);
    Arrow(dc, down, vertical, false, colors_.Glyph);
    const TFlatScrollSpan thumb = bar.Thumb();
    if (!thumb.Empty())
        Fill(dc, Span(rect, vertical, thumb.Start, thumb.End, kThumbInset),
             holding && held_ == TFlatScrollPart::Thumb ? colors_.PressedThumb : colors_.Thumb);
}

}  // namespace tessel
