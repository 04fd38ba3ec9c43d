#include "ui/drawing.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(ShadowTextShift, CentresWithDivisionTowardsZero) {
    EXPECT_EQ(ShadowTextShift(100, 20, 40, 13, kShadowCentred), (TShift{30, 3}));
    EXPECT_EQ(ShadowTextShift(101, 21, 40, 13, kShadowCentred), (TShift{30, 4}));
    // A text wider or taller than its box moves left and up by half the excess, rounded to zero.
    EXPECT_EQ(ShadowTextShift(10, 10, 13, 15, kShadowCentred), (TShift{-1, -2}));
}

TEST(ShadowTextShift, IndentedMovesTwoPixelsRightAndOtherAlignmentsStay) {
    EXPECT_EQ(ShadowTextShift(100, 20, 40, 13, kShadowIndented), (TShift{2, 0}));
    EXPECT_EQ(ShadowTextShift(100, 20, 40, 13, 2), (TShift{0, 0}));
    EXPECT_EQ(ShadowTextShift(100, 20, 40, 13, -1), (TShift{0, 0}));
}

TEST(LabelText, EmptyTextBeingMeasuredAndALoneAmpersandGetABlank) {
    TLabelLook accel;
    TLabelLook plain;
    plain.ShowAccelChar = false;
    EXPECT_EQ(LabelTextToDraw(u"", kDtCalcRect, accel), u" ");
    EXPECT_EQ(LabelTextToDraw(u"", kDtCalcRect, plain), u" ");
    EXPECT_EQ(LabelTextToDraw(u"", 0, accel), u"");  // drawing an empty text draws nothing
    EXPECT_EQ(LabelTextToDraw(u"&", 0, accel), u"& ");
    EXPECT_EQ(LabelTextToDraw(u"&", 0, plain), u"&");  // shown as it is without accelerators
    EXPECT_EQ(LabelTextToDraw(u"&&", 0, accel), u"&&");
    EXPECT_EQ(LabelTextToDraw(u"October 2009", kDtCalcRect, accel), u"October 2009");
}

TEST(LabelText, FlagsAddNoPrefixWithoutAcceleratorsAndMirrorForRightToLeft) {
    TLabelLook look;
    EXPECT_EQ(LabelDrawFlags(kDtExpandTabs, look), kDtExpandTabs);
    look.ShowAccelChar = false;
    EXPECT_EQ(LabelDrawFlags(kDtExpandTabs, look), kDtExpandTabs | kDtNoPrefix);
    look.RightToLeft = true;
    EXPECT_EQ(LabelDrawFlags(0, look), kDtNoPrefix | kDtRight | kDtRtlReading);
    EXPECT_EQ(LabelDrawFlags(kDtRight, look), kDtNoPrefix | kDtRtlReading);
    EXPECT_EQ(LabelDrawFlags(kDtCenter, look), kDtNoPrefix | kDtCenter | kDtRtlReading);
}

TEST(LabelText, OnlyEnabledLightTextGetsTheShadow) {
    TLabelLook look;
    look.FontColor = 0xFFFFFF;
    EXPECT_TRUE(LabelNeedsShadow(look));
    look.FontColor = 0x808080;  // 2304, not light
    EXPECT_FALSE(LabelNeedsShadow(look));
    look.FontColor = 0x00FFFF;  // yellow, 3825
    EXPECT_TRUE(LabelNeedsShadow(look));
    look.Enabled = false;
    EXPECT_FALSE(LabelNeedsShadow(look));
}

}  // namespace
}  // namespace tessel
