#pragma once
// Where the main window goes at start and after the options dialog. A stored left or top of 0
// means the default place (left: half the screen width less the window's width and 20; top: 10);
// so does a stored place that would leave too little of the window on every monitor to take
// hold of it, as a monitor removed since the last run or a hand-edited position would.
#include <cstdint>
#include <vector>

#include "ui/skin_plan.h"

namespace tessel {

// How much of the window must lie on one monitor, in each direction, for the user to reach it
// (less when the window itself is smaller).
inline constexpr int32_t kReachablePixels = 24;

struct WindowPlace {
    int32_t Left = 0;
    int32_t Top = 0;
    bool operator==(const WindowPlace&) const = default;
};

// storedLeft and storedTop as read from the settings; width and height the window's size now;
// screenWidth the primary screen's; monitors the rectangles of all monitors.
WindowPlace PlaceMainWindow(int32_t storedLeft, int32_t storedTop, int32_t width, int32_t height,
                            int32_t screenWidth, const std::vector<TRect>& monitors);

}  // namespace tessel
