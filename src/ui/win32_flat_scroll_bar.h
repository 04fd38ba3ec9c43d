#pragma once
// Flat scroll bars that a window paints and drives itself, as strips along the right and bottom
// of its client area, in shades of the window's own colour. The system's scroll bars cannot be
// coloured, and the common controls' flat scroll bars are ignored by their version 6, which the
// program's manifest asks for. The window hands its mouse messages, its repeat timer and its
// paint to the bars; the geometry is the portable flat_scroll_bar.h.
#include <windows.h>

#include "ui/flat_scroll_bar.h"

namespace tessel {

class TFlatScrollBars {
public:
    // The window's timer that repeats an arrow or the track while it is held.
    static constexpr UINT_PTR kRepeatTimer = 0x5C;

    // The window that scrolls: it is repainted whole whenever the position changes. A line is
    // what an arrow scrolls.
    TFlatScrollBars(HWND window, TColor background, int32_t line);

    // The system's scroll bar width at the window's resolution, at most the 20 pixels (at 96 DPI)
    // the balloon's layout leaves the bar.
    int32_t Thickness() const;

    // Lays the bars out for a client area of width x height showing content of the given extent.
    void Reset(int32_t width, int32_t height, int32_t contentWidth, int32_t contentHeight);
    const TFlatScrollLayout& Layout() const { return layout_; }
    // The content's pixel at the view's top-left corner.
    POINT Offset() const { return {layout_.Horizontal.Position, layout_.Vertical.Position}; }

    // A mouse message in client coordinates: true when it was the bars' (any button on a bar or
    // on the corner, and every mouse message while a part of a bar is held), which the window
    // then leaves alone.
    bool HandleMouse(UINT msg, LPARAM lp);
    void HandleRepeatTimer();
    // The window lost the mouse capture: whatever was held is let go.
    void CaptureLost();
    // Scrolls the vertical bar by lines, downwards when positive (the wheel).
    void ScrollLines(int lines);
    void Paint(HDC dc) const;

private:
    TFlatScrollBar& HeldBar() { return heldVertical_ ? layout_.Vertical : layout_.Horizontal; }
    const TRect& HeldRect() const { return heldVertical_ ? layout_.VerticalBar : layout_.HorizontalBar; }
    int32_t AlongHeld(POINT p) const { return heldVertical_ ? p.y - HeldRect().Top : p.x - HeldRect().Left; }
    void Press(POINT p);
    void Release();
    void MoveTo(TFlatScrollBar& bar, int32_t position);
    void PaintBar(HDC dc, const TFlatScrollBar& bar, const TRect& rect, bool vertical) const;

    HWND window_;
    TFlatScrollColors colors_;
    int32_t line_;
    TFlatScrollLayout layout_;
    // The part held down with the left button, on which bar, and where the pointer is.
    TFlatScrollPart held_ = TFlatScrollPart::None;
    bool heldVertical_ = true;
    int32_t pressAlong_ = 0;
    int32_t pressPosition_ = 0;
    POINT pointer_{};
};

}  // namespace tessel
