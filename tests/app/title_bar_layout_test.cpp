#include "app/title_bar_layout.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

// A 200-pixel wide window under a 24-pixel bar: the images sit 4 pixels down.
constexpr TitleBarLayout kBar{200, 24};

TEST(TitleBarLayout, ImagesSitAtBothEndsCentredInTheBar) {
    EXPECT_EQ(kBar.ButtonRect(kMenuButton), (TRect{4, 4, 20, 20}));
    EXPECT_EQ(kBar.ButtonRect(kPreviousButton), (TRect{24, 4, 40, 20}));
    EXPECT_EQ(kBar.ButtonRect(kNextButton), (TRect{160, 4, 176, 20}));
    EXPECT_EQ(kBar.ButtonRect(kCloseButton), (TRect{180, 4, 196, 20}));
    // A bar lower than an image puts the images at its top, never above the window.
    EXPECT_EQ((TitleBarLayout{200, 10}).ButtonRect(kMenuButton).Top, 0);
    EXPECT_EQ((TitleBarLayout{200, 17}).ButtonRect(kMenuButton).Top, 0);
}

TEST(TitleBarLayout, ButtonAtFindsTheImageWithItsRightAndBottomEdgesOutside) {
    struct Case {
        int x, y, expected;
    };
    const Case cases[] = {
        {4, 4, kMenuButton},        {19, 19, kMenuButton},      {20, 10, kNoTitleButton},
        {4, 20, kNoTitleButton},    {24, 10, kPreviousButton},  {100, 10, kNoTitleButton},
        {160, 4, kNextButton},      {179, 10, kNoTitleButton},  {195, 19, kCloseButton},
        {196, 10, kNoTitleButton},  {10, 3, kNoTitleButton},    {-1, 10, kNoTitleButton},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(kBar.ButtonAt(c.x, c.y), c.expected);
    }
}

TEST(TitleBarClicks, AnImageActsWhenPressedAndReleasedOverIt) {
    struct Case {
        const char* what;
        int pressX, releaseX;
        TitleAction press, release;
    };
    const Case cases[] = {
        {"menu", 10, 12, TitleAction::kNone, TitleAction::kMenu},
        {"previous month", 30, 30, TitleAction::kNone, TitleAction::kPreviousMonth},
        {"next month", 165, 170, TitleAction::kNone, TitleAction::kNextMonth},
        {"close", 185, 185, TitleAction::kNone, TitleAction::kClose},
        {"pressed on one image, released on another", 30, 165, TitleAction::kNone, TitleAction::kNone},
        {"pressed on an image, released beside it", 185, 100, TitleAction::kNone, TitleAction::kNone},
        {"pressed beside the images: a drag, then nothing", 100, 30, TitleAction::kDrag, TitleAction::kNone},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TitleBarClicks clicks;
        EXPECT_EQ(clicks.Press(kBar, c.pressX, 10), c.press);
        EXPECT_EQ(clicks.Release(kBar, false, c.releaseX, 10), c.release);
    }
}

TEST(TitleBarClicks, AReleaseActsOnceForOnePress) {
    TitleBarClicks clicks;
    clicks.Press(kBar, 185, 10);
    EXPECT_EQ(clicks.Release(kBar, false, 185, 10), TitleAction::kClose);
    EXPECT_EQ(clicks.Release(kBar, false, 185, 10), TitleAction::kNone);
    // A right release between a press and its release leaves the press standing.
    clicks.Press(kBar, 30, 10);
    EXPECT_EQ(clicks.Release(kBar, true, 30, 10), TitleAction::kMenu);
    EXPECT_EQ(clicks.Release(kBar, false, 30, 10), TitleAction::kPreviousMonth);
}

TEST(TitleBarClicks, TheRightButtonOpensTheMenuOnTheBarAndOverTheMenuImage) {
    TitleBarClicks clicks;
    EXPECT_EQ(clicks.Release(kBar, true, 100, 0), TitleAction::kMenu);
    EXPECT_EQ(clicks.Release(kBar, true, 185, 23), TitleAction::kMenu);  // over close: still the menu
    EXPECT_EQ(clicks.Release(kBar, true, 100, 24), TitleAction::kNone);  // below the bar
    // The menu image reaches below a bar lower than the image.
    const TitleBarLayout low{200, 10};
    EXPECT_EQ(clicks.Release(low, true, 10, 14), TitleAction::kMenu);
    EXPECT_EQ(clicks.Release(low, true, 30, 14), TitleAction::kNone);
}

}  // namespace
}  // namespace tessel
