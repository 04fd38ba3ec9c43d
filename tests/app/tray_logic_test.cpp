#include "app/tray_logic.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(TrayTextTest, LongTextsAreCutToTheFieldWithoutSplittingAPair) {
    const std::u16string longText(300, u'x');
    EXPECT_EQ(FitToField(longText, kBalloonTextCapacity).size(), 255u);
    EXPECT_EQ(FitToField(u"short", kBalloonTitleCapacity), u"short");
    std::u16string pairAtEdge(62, u'a');
    pairAtEdge += u"\U0001F600z";  // the pair sits at units 62 and 63
    EXPECT_EQ(FitToField(pairAtEdge, kBalloonTitleCapacity), std::u16string(62, u'a'));
    EXPECT_EQ(FitToField(u"abc", 1), u"");
    EXPECT_EQ(FitToField(u"abc", 0), u"");
}

TEST(TrayTextTest, TodayTitle) {
    const TDateTime day = EncodeDateTime(2009, 10, 5, 8, 0);
    EXPECT_EQ(TodayTitle(day, u"No Event"), u"10-05 today events:");
    EXPECT_EQ(TodayTitle(day, u""), u"10-05");
}

TEST(TrayHoverTest, OneBalloonPerVisitAndClicksSuppressIt) {
    TrayHover hover;
    EXPECT_FALSE(hover.OnMouseMove(/*syncing=*/true));
    ASSERT_TRUE(hover.OnMouseMove(false));
    hover.Started();
    EXPECT_FALSE(hover.OnMouseMove(false));  // already polling
    EXPECT_EQ(hover.OnTick(true), TrayHover::Tick::ShowBalloon);
    hover.Started();
    EXPECT_EQ(hover.OnTick(true), TrayHover::Tick::KeepPolling);  // staying longer: no second balloon
    hover.Started();
    EXPECT_EQ(hover.OnTick(false), TrayHover::Tick::Left);
    EXPECT_EQ(hover.ShownCount, 0);
    ASSERT_TRUE(hover.OnMouseMove(false));  // coming back shows it again
    hover.Started();
    EXPECT_EQ(hover.OnTick(true), TrayHover::Tick::ShowBalloon);

    hover.Started();
    hover.OnClick();
    EXPECT_EQ(hover.OnTick(true), TrayHover::Tick::KeepPolling);  // suppressed until the pointer leaves
    hover.Started();
    EXPECT_EQ(hover.OnTick(false), TrayHover::Tick::Left);
    hover.Started();
    EXPECT_EQ(hover.OnTick(true), TrayHover::Tick::ShowBalloon);
}

}  // namespace
}  // namespace tessel
