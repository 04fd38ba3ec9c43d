#pragma once
// Attaching a skin to a window: the content control placed inside the border, a window
// procedure installed in front of the window's own that paints the background on
// WM_ERASEBKGND, and for a resizable skin the two edge grips and the drag by the border.
#include <windows.h>

#include "ui/skin.h"
#include "win32/win32_handles.h"

namespace tessel {

// Called once per window, after skin.Load and after skin.Resizable is set. The skin keeps the
// attachment: the installed procedure is removed when the skin goes or the window is destroyed.
// content may be null.
void ApplySkin(TSkin& skin, HWND form, HWND content);

// Paints the skin for a width x height window at (0, 0) of dc: the plan drawn into a scratch
// bitmap (stretches by dropping or repeating pixels) and copied over, or the plain colour when
// the skin has no image.
void PaintSkin(const TSkin& skin, HDC dc, int width, int height);

// For a child window that shows its parent's background: asks the parent to erase into dc,
// shifted so the parent's pixels line up with the child. Chains through children that do the
// same up to the skinned window.
void EraseWithParentBackground(HWND child, HDC dc);

// The system commands the skin sends: move by caption, size by the right and bottom edges.
inline constexpr WPARAM kScMoveByCaption = 0xF012;
inline constexpr WPARAM kScSizeRight = 0xF002;
inline constexpr WPARAM kScSizeBottom = 0xF006;

// The grips' control identifiers, as the skin tags them.
inline constexpr int kBottomGripTag = 1;
inline constexpr int kRightGripTag = 2;

}  // namespace tessel
