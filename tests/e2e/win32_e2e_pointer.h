#pragma once
// The pointer on the virtual screen, moved as a user's hand would move it: xdotool sends real X
// input to the display Wine draws on, so the program sees the same messages (and Wine's own
// loops, such as a window's size loop, the same button events) as under a user's mouse.
#include <windows.h>

#include <string>

#include "win32_e2e_process.h"

namespace tessel::e2e {

inline constexpr Millis kPointerTimeout{10000};

// Starts xdotool with the arguments; false when it could not be started. Wine cannot wait for a
// program of the host system to end (the wait fails at once), so callers wait for its effect.
bool Xdotool(const std::string& arguments);

bool PointerAt(POINT p);

// Moves the pointer (SetCursorPos where xdotool cannot run) and waits until the screen reports
// it there.
bool MovePointer(POINT p);

// Starts pressing the left button at from, moving to to and releasing it there; false when
// xdotool could not be started. The drag takes about a second.
bool DragPointer(POINT from, POINT to);

// The middle of a window on the screen.
POINT MiddleOf(HWND window);

// A click of the left button where the pointer is taken to; false when xdotool could not start.
bool ClickAt(POINT p);

}  // namespace tessel::e2e
