#pragma once
// The GDI half of the drawing helpers (drawing.h): shadowed text, label text and the program
// icon. Text is drawn with the font and text colour already selected into the DC.
#include <windows.h>

#include <string_view>

#include "ui/drawing.h"
#include "win32/win32_handles.h"

namespace tessel {

// Records whether wide-character drawing is available (the NT family); called once at start.
void InitWideDrawing();

// Measures the text word-wrapped at rect's width, places it (align 0: centred in rect; 1: two
// pixels right of its left edge), draws a 0x2A2A2A shadow one pixel down and right and then the
// text on a clear background. rect receives the rectangle the text occupies.
void DrawShadowText(HDC dc, RECT& rect, std::u16string_view text, int align);

// A label's text in rect: a dark shadow under a light enabled text, the engraved look of a
// disabled one. With DT_CALCRECT in flags it measures into rect instead. False (and nothing
// drawn) when wide drawing is not available.
bool DrawLabelText(HDC dc, const TLabelLook& look, RECT& rect, UINT flags, std::u16string_view text);

// The application window's icon (small, else big) drawn at 48 x 48 on a bitmap; empty when the
// window has no icon, so the caller keeps the picture it had.
win32::BitmapHandle DrawAppIcon(HWND appWindow);

}  // namespace tessel
