#pragma once
// What the start-up probe knows of the empty-window program (win32_empty_window.cpp): the class
// of its one window, and the colour it paints, by which the probe sees that it has painted.
#include <windows.h>

namespace tessel::startup {

inline constexpr wchar_t kEmptyWindowClass[] = L"TesselEmptyWindow";
inline constexpr COLORREF kEmptyWindowColor = RGB(0x2E, 0x86, 0xC1);
inline constexpr int kEmptyWindowWidth = 201;
inline constexpr int kEmptyWindowHeight = 161;

}  // namespace tessel::startup
