#pragma once
// Pixels as the user sees them: a rectangle of the screen read back through the screen's DC.
// The calendar is a layered window; under Wine (and on Windows) the screen holds what it shows,
// whereas asking the window to print itself gives nothing for a grid that paints only in WM_PAINT.
#include <windows.h>

#include <string>
#include <vector>

namespace tessel::e2e {

struct Image {
    int Width = 0;
    int Height = 0;
    std::vector<COLORREF> Pixels;  // row by row from the top, 0x00BBGGRR

    bool Empty() const { return Pixels.empty(); }
    COLORREF At(int x, int y) const { return Pixels[size_t(y) * size_t(Width) + size_t(x)]; }
};

// Empty when the screen could not be read.
Image CaptureScreen(const RECT& area);
// The window's rectangle as the screen shows it now.
Image CaptureWindow(HWND window);

// Every channel within tolerance.
bool Near(COLORREF a, COLORREF b, int tolerance = 8);
// The share of pixels in the rectangle (image coordinates, clipped) that are near the colour.
double ShareNear(const Image& image, const RECT& area, COLORREF color, int tolerance = 8);

// A 24-bit BMP of the image, for looking at a failure afterwards; false when it could not be written.
bool SaveBitmap(const Image& image, const std::u16string& path);

}  // namespace tessel::e2e
