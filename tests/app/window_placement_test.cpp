#include "app/window_placement.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

namespace tessel {
namespace {

constexpr int32_t kWidth = 200, kHeight = 160, kScreen = 1280;
const std::vector<TRect> kOneMonitor = {{0, 0, 1280, 1024}};
// A second monitor to the left of the primary one, as its negative coordinates have it.
const std::vector<TRect> kTwoMonitors = {{0, 0, 1280, 1024}, {-1024, 0, 0, 768}};

TEST(PlaceMainWindow, StoredPlacesOnAMonitorStandAndOthersGoToTheDefaultPlace) {
    const WindowPlace defaults{kScreen / 2 - kWidth - 20, 10};
    struct Case {
        const char* what;
        int32_t left, top;
        std::vector<TRect> monitors;
        WindowPlace expected;
    };
    const Case cases[] = {
        {"zeros mean the default place", 0, 0, kOneMonitor, defaults},
        {"left 0 alone", 0, 300, kOneMonitor, {420, 300}},
        {"a place on the monitor", 15, 40, kOneMonitor, {15, 40}},
        {"mostly off the right edge, a hold left", 1280 - 24, 500, kOneMonitor, {1256, 500}},
        {"less than a hold on the right edge", 1280 - 23, 500, kOneMonitor, defaults},
        {"above the top, its bottom still on it", 100, -160 + 24, kOneMonitor, {100, -136}},
        {"far off", 2000000000, 2000000000, kOneMonitor, defaults},
        {"at the 32-bit edge", INT32_MAX, INT32_MIN, kOneMonitor, defaults},
        {"on the second monitor", -900, 100, kTwoMonitors, {-900, 100}},
        {"where the second monitor was", -900, 100, kOneMonitor, defaults},
        {"below the shorter second monitor", -900, 800, kTwoMonitors, defaults},
        {"no monitor known: as stored", 5000, 5000, {}, {5000, 5000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const WindowPlace place = PlaceMainWindow(c.left, c.top, kWidth, kHeight, kScreen, c.monitors);
        EXPECT_EQ(place.Left, c.expected.Left);
        EXPECT_EQ(place.Top, c.expected.Top);
    }
}

TEST(PlaceMainWindow, AWindowSmallerThanAHoldNeedsOnlyItselfOnTheMonitor) {
    EXPECT_EQ(PlaceMainWindow(1270, 5, 10, 10, kScreen, kOneMonitor), (WindowPlace{1270, 5}));
    EXPECT_EQ(PlaceMainWindow(1271, 5, 10, 10, kScreen, kOneMonitor), (WindowPlace{kScreen / 2 - 30, 10}));
}

}  // namespace
}  // namespace tessel
