#pragma once
// A 32-bit top-down DIB section: B, G, R, A bytes per pixel, rows top to bottom, the layout the
// skin's image and every pixel check use.
#include <windows.h>

#include "win32/win32_handles.h"

namespace tessel::win32 {

// bits receives the pixels (null when the bitmap could not be made); dc may be null.
inline BitmapHandle CreateTopDownDib(int width, int height, void** bits, HDC dc = nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    *bits = nullptr;
    return BitmapHandle(CreateDIBSection(dc, &info, DIB_RGB_COLORS, bits, nullptr, 0));
}

}  // namespace tessel::win32
