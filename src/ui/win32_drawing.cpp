#include "ui/win32_drawing.h"

#include <string>

#include "ui/dpi_scale.h"
#include "win32/win32_text.h"

// Text drawing of the grid cells, the event rows and the labels, on whatever DC the window
// paints on. DrawTextW is given an explicit length, so the texts need no terminator.

namespace tessel {

namespace {

int DrawTextIn(HDC dc, const std::u16string& text, RECT& rect, UINT flags) {
    return DrawTextW(dc, win32::W(text), int(text.size()), &rect, flags);
}

}  // namespace

void InitWideDrawing() {
    // The high bit of GetVersion is set on the 9x family only.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    SetWideDrawing((GetVersion() & 0x80000000u) == 0);
#pragma GCC diagnostic pop
}

void DrawShadowText(HDC dc, RECT& rect, std::u16string_view text, int align) {
    if (!WideDrawing()) return;
    const std::u16string t(text);
    RECT r = rect;
    DrawTextIn(dc, t, r, kShadowMeasureFlags);
    const TShift shift =
        ShadowTextShift(rect.right - rect.left, rect.bottom - rect.top, r.right - r.left, r.bottom - r.top, align);
    OffsetRect(&r, shift.X, shift.Y);
    SetBkMode(dc, TRANSPARENT);
    rect = r;

    const COLORREF color = GetTextColor(dc);
    SetTextColor(dc, kShadowColor);
    RECT shadow = r;
    OffsetRect(&shadow, 1, 1);
    DrawTextIn(dc, t, shadow, kShadowDrawFlags);
    SetTextColor(dc, color);
    DrawTextIn(dc, t, rect, kShadowDrawFlags);
}

void DrawShadowGlyph(HDC dc, COLORREF color, const std::function<void(int shift)>& draw, int dpi) {
    for (const COLORREF ink : {COLORREF(kShadowColor), color}) {
        win32::PenHandle pen(CreatePen(PS_SOLID, ScaleToDpi(2, dpi), ink));
        win32::BrushHandle brush(CreateSolidBrush(ink));
        win32::SelectGuard selectPen(dc, pen.get());
        win32::SelectGuard selectBrush(dc, brush.get());
        draw(ink == COLORREF(kShadowColor) ? ScaleToDpi(1, dpi) : 0);
    }
}

void DrawCloseCross(HDC dc, int cx, int cy, int dpi) {
    const int d = ScaleToDpi(4, dpi);
    MoveToEx(dc, cx - d, cy - d, nullptr);
    LineTo(dc, cx + d, cy + d);
    MoveToEx(dc, cx + d, cy - d, nullptr);
    LineTo(dc, cx - d, cy + d);
}

bool DrawLabelText(HDC dc, const TLabelLook& look, RECT& rect, UINT flags, std::u16string_view text) {
    if (!WideDrawing()) return false;
    const std::u16string t = LabelTextToDraw(text, flags, look);
    const UINT drawFlags = LabelDrawFlags(flags, look);
    // An opaque text background would wipe out the shadow drawn just before.
    SetBkMode(dc, TRANSPARENT);
    if (look.Enabled) {
        if (LabelNeedsShadow(look)) {
            RECT shadow = rect;
            OffsetRect(&shadow, 1, 1);
            SetTextColor(dc, kShadowColor);
            DrawTextIn(dc, t, shadow, drawFlags);
        }
        SetTextColor(dc, look.FontColor);
        DrawTextIn(dc, t, rect, drawFlags);
    } else {
        RECT highlight = rect;
        OffsetRect(&highlight, 1, 1);
        SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
        DrawTextIn(dc, t, highlight, drawFlags);
        SetTextColor(dc, GetSysColor(COLOR_BTNSHADOW));
        DrawTextIn(dc, t, rect, drawFlags);
    }
    return true;
}

HICON WindowIcon(HWND window) {
    HICON icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
    return icon ? icon : reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_BIG, 0));
}

win32::BitmapHandle DrawIconPicture(HICON icon, int size, COLORREF background) {
    if (!icon) return {};
    // The icon is someone else's; a copy at the wanted size is drawn and destroyed.
    win32::IconHandle copy(static_cast<HICON>(CopyImage(icon, IMAGE_ICON, size, size, LR_COPYFROMRESOURCE)));
    if (!copy) return {};
    win32::WindowDc screen(nullptr);
    win32::BitmapHandle bitmap(CreateCompatibleBitmap(screen.get(), size, size));
    win32::MemoryDc dc(CreateCompatibleDC(screen.get()));
    if (!bitmap || !dc) return {};
    {
        win32::SelectGuard select(dc.get(), bitmap.get());
        win32::BrushHandle brush(CreateSolidBrush(background));
        RECT all{0, 0, size, size};
        FillRect(dc.get(), &all, brush.get());
        DrawIconEx(dc.get(), 0, 0, copy.get(), size, size, 0, nullptr, DI_NORMAL);
    }
    return bitmap;
}

}  // namespace tessel
