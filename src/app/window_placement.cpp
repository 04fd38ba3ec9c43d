#include "app/window_placement.h"

#include <algorithm>

namespace tessel {

namespace {

constexpr int32_t kDefaultTop = 10;
constexpr int32_t kDefaultGap = 20;

// The overlap of [a0, a1) and [b0, b1), in 64 bits as stored places may be near the 32-bit edges.
int64_t Overlap(int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
    return std::max<int64_t>(0, std::min(a1, b1) - std::max(a0, b0));
}

bool Reachable(int32_t left, int32_t top, int32_t width, int32_t height, const std::vector<TRect>& monitors) {
    const int64_t needX = std::min<int64_t>(kReachablePixels, std::max(width, 1));
    const int64_t needY = std::min<int64_t>(kReachablePixels, std::max(height, 1));
    const int64_t right = int64_t(left) + std::max(width, 1), bottom = int64_t(top) + std::max(height, 1);
    for (const TRect& m : monitors) {
        if (Overlap(left, right, m.Left, m.Right) >= needX && Overlap(top, bottom, m.Top, m.Bottom) >= needY)
            return true;
    }
    return false;
}

}  // namespace

WindowPlace PlaceMainWindow(int32_t storedLeft, int32_t storedTop, int32_t width, int32_t height,
                            int32_t screenWidth, const std::vector<TRect>& monitors) {
    const int32_t defaultLeft = screenWidth / 2 - width - kDefaultGap;
    WindowPlace place{storedLeft == 0 ? defaultLeft : storedLeft, storedTop == 0 ? kDefaultTop : storedTop};
    // No monitor known: nothing to judge by, the stored place stands.
    if (!monitors.empty() && !Reachable(place.Left, place.Top, width, height, monitors))
        place = WindowPlace{defaultLeft, kDefaultTop};
    return place;
}

}  // namespace tessel
