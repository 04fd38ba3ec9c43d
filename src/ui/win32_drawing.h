#pragma once
// The GDI half of the drawing helpers (drawing.h): shadowed text, label text and the program
// icon. Text is drawn with the font and text colour already selected into the DC.
#include <windows.h>

#include <functional>
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

// A small glyph that reads on any theme: drawn first in the shadow colour one pixel down and
// right, then in color, each time with a 2-pixel pen and a solid brush of that colour selected.
// draw(shift) draws the glyph moved by shift pixels in both directions.
void DrawShadowGlyph(HDC dc, COLORREF color, const std::function<void(int shift)>& draw, int dpi = 96);

// The close cross, 8 pixels across and centred on (cx, cy), in the selected pen.
void DrawCloseCross(HDC dc, int cx, int cy, int dpi = 96);

// The window's icon (small, else big); null when it has none. The icon stays the window's.
HICON WindowIcon(HWND window);

// A copy of the icon drawn at size x size on a bitmap filled with background; empty when there
// is no icon or it cannot be copied, so the caller keeps the picture it had.
win32::BitmapHandle DrawIconPicture(HICON icon, int size, COLORREF background);

}  // namespace tessel
