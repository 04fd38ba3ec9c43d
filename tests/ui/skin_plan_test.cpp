#include "ui/skin_plan.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "ui/skin.h"
#include "xml/xdata_node.h"

namespace tessel {
namespace {

TSkinBands Bands(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    TSkinBands b;
    b.Left.Len = left;
    b.Top.Len = top;
    b.Right.Len = right;
    b.Bottom.Len = bottom;
    return b;
}

TEST(SkinPlan, TwelvePixelBordersOnAWindowThreeTimesTheImage) {
    TSkinBands b = Bands(12, 12, 12, 12);
    b.Top.Margin1 = b.Top.Margin2 = 12;
    b.Bottom.Margin1 = b.Bottom.Margin2 = 12;
    const std::vector<TSkinBlit> expected = {
        // top band: corners at their size, the 76-pixel middle stretched to 276
        {{0, 0, 12, 12}, {0, 0, 12, 12}},
        {{88, 0, 100, 12}, {288, 0, 300, 12}},
        {{12, 0, 88, 12}, {12, 0, 288, 12}},
        // bottom band
        {{0, 68, 12, 80}, {0, 188, 12, 200}},
        {{88, 68, 100, 80}, {288, 188, 300, 200}},
        {{12, 68, 88, 80}, {12, 188, 288, 200}},
        // left and right bands, 56 pixels stretched to 176
        {{0, 12, 12, 68}, {0, 12, 12, 188}},
        {{88, 12, 100, 68}, {288, 12, 300, 188}},
        // the 76 x 56 centre onto 277 x 177, one pixel into the right and bottom bands
        {{12, 12, 88, 68}, {12, 12, 289, 189}},
    };
    EXPECT_EQ(PlanSkin(b, 100, 80, 300, 200), expected);
}

TEST(SkinPlan, NoBordersStretchTheWholeImageOnePixelPastTheWindow) {
    const std::vector<TSkinBlit> expected = {{{0, 0, 100, 80}, {0, 0, 301, 201}}};
    EXPECT_EQ(PlanSkin(TSkinBands(), 100, 80, 300, 200), expected);
}

TEST(SkinPlan, MarginsThatDoNotFitLeaveTheMiddleUndrawnButCopyTheEnds) {
    TSkinBands b = Bands(0, 10, 0, 0);
    b.Top.Margin1 = 30;
    b.Top.Margin2 = 30;
    // 30 + 30 is not less than the 60-pixel window: no middle piece.
    const std::vector<TSkinBlit> expected = {
        {{0, 0, 30, 10}, {0, 0, 30, 10}},
        {{70, 0, 100, 10}, {30, 0, 60, 10}},
        {{0, 10, 100, 50}, {0, 10, 61, 41}},  // bands of length 0 add nothing
    };
    EXPECT_EQ(PlanSkin(b, 100, 50, 60, 40), expected);
}

TEST(SkinPlan, VerticalMarginsWorkAlongTheColumn) {
    TSkinBands b = Bands(4, 2, 0, 2);
    b.Left.Margin1 = 6;
    b.Left.Margin2 = 3;
    const auto plan = PlanSkin(b, 20, 30, 40, 60);
    const std::vector<TSkinBlit> left = {
        {{0, 2, 4, 8}, {0, 2, 4, 8}},        // 6 at the top
        {{0, 25, 4, 28}, {0, 55, 4, 58}},    // 3 at the bottom
        {{0, 8, 4, 25}, {0, 8, 4, 55}},      // the middle stretched
    };
    std::vector<TSkinBlit> found;
    for (const auto& blit : plan)
        if (blit.Dest.Right == 4) found.push_back(blit);
    EXPECT_EQ(found, left);
}

TEST(SkinPlan, NothingIsMirroredWhenTheWindowOrImageIsSmallerThanItsBorders) {
    TSkinBands b = Bands(12, 24, 12, 12);
    b.Top.Margin1 = b.Top.Margin2 = 12;
    b.Bottom.Margin1 = b.Bottom.Margin2 = 12;
    for (const auto& size : std::vector<std::pair<int, int>>{{10, 10}, {20, 30}, {24, 48}, {1, 1}}) {
        SCOPED_TRACE(std::to_string(size.first) + "x" + std::to_string(size.second));
        for (const auto& blit : PlanSkin(b, 100, 80, size.first, size.second)) {
            EXPECT_GT(blit.Source.Width(), 0);
            EXPECT_GT(blit.Source.Height(), 0);
            EXPECT_GT(blit.Dest.Width(), 0);
            EXPECT_GT(blit.Dest.Height(), 0);
        }
        for (const auto& blit : PlanSkin(b, size.first, size.second, 300, 200)) {
            EXPECT_GT(blit.Source.Width(), 0);
            EXPECT_GT(blit.Source.Height(), 0);
        }
    }
    EXPECT_TRUE(PlanSkin(b, 0, 0, 300, 200).empty());
    EXPECT_TRUE(PlanSkin(b, 100, 80, 0, 200).empty());
}

TEST(SkinPlan, MapToSourceSamplesByTheDestinationPixelsStart) {
    const TSkinBlit copy{{10, 20, 30, 40}, {100, 200, 120, 220}};
    int32_t sx = 0, sy = 0;
    MapToSource(copy, 100, 200, sx, sy);
    EXPECT_EQ(sx, 10);
    EXPECT_EQ(sy, 20);
    MapToSource(copy, 119, 219, sx, sy);
    EXPECT_EQ(sx, 29);
    EXPECT_EQ(sy, 39);
    const TSkinBlit stretch{{0, 0, 2, 3}, {0, 0, 8, 9}};
    MapToSource(stretch, 3, 2, sx, sy);
    EXPECT_EQ(sx, 0);
    EXPECT_EQ(sy, 0);
    MapToSource(stretch, 4, 3, sx, sy);
    EXPECT_EQ(sx, 1);
    EXPECT_EQ(sy, 1);
    MapToSource(stretch, 7, 8, sx, sy);
    EXPECT_EQ(sx, 1);
    EXPECT_EQ(sy, 2);
}

class SkinLoad : public ::testing::Test {
protected:
    void Load(const char16_t* xml) {
        root = std::make_unique<TxdataNode>();
        root->LoadFromText(xml);
        skin.LoadBands(*root);
    }
    std::unique_ptr<TxdataNode> root;
    TSkin skin;
};

TEST_F(SkinLoad, ReadsTheFourBandsFromAttributes) {
    Load(uR"(<t><left len="5" margin1="1" margin2="2" horz="0"/><right len="6"/>
             <top len="24" margin1="$0C" margin2="12" horz="1"/><bottom len="7" margin1="10" margin2="11"/></t>)");
    EXPECT_EQ(skin.LeftBand, (TSkinBand{1, 2, 5, false}));
    EXPECT_EQ(skin.RightBand, (TSkinBand{0, 0, 6, false}));
    EXPECT_EQ(skin.TopBand, (TSkinBand{12, 12, 24, true}));
    EXPECT_EQ(skin.BottomBand, (TSkinBand{10, 11, 7, false}));
    EXPECT_EQ(skin.LeftLength(), 5);
    EXPECT_EQ(skin.TopLength(), 24);
    EXPECT_EQ(skin.RightLength(), 6);
    EXPECT_EQ(skin.BottomLength(), 7);
}

TEST_F(SkinLoad, ChildElementsAreNotRead) {
    Load(uR"(<t><left><len>9</len></left><top len="3"><margin1>4</margin1></top></t>)");
    EXPECT_EQ(skin.LeftBand.Len, 0);
    EXPECT_EQ(skin.TopBand, (TSkinBand{0, 0, 3, false}));
}

TEST_F(SkinLoad, AnEmptyOrMissingAttributeKeepsTheEarlierValue) {
    Load(uR"(<t><left len="5" margin1="2" margin2="3"/><right len="1"/><top len="1"/><bottom len="1"/></t>)");
    Load(uR"(<t><left len="8" margin2=""/><right len="1"/><top len="1"/><bottom len="1"/></t>)");
    EXPECT_EQ(skin.LeftBand, (TSkinBand{2, 3, 8, false}));
}

TEST_F(SkinLoad, AMissingElementGivesABandOfLengthZero) {
    Load(uR"(<t><left len="5" margin1="2"/><right len="6"/><top len="7"/><bottom len="8"/></t>)");
    Load(uR"(<t><right len="6"/><top len="7"/></t>)");
    EXPECT_EQ(skin.LeftBand, TSkinBand());
    EXPECT_EQ(skin.BottomBand, TSkinBand());
    EXPECT_EQ(skin.RightLength(), 6);
}

TEST_F(SkinLoad, NonNumericValueRaisesWithTheEarlierBandsRead) {
    try {
        Load(uR"(<t><left len="5"/><right len="6"/><top len="7" margin1="x1"/><bottom len="8"/></t>)");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'x1' is not a valid integer value");
    }
    EXPECT_EQ(skin.LeftLength(), 5);
    EXPECT_EQ(skin.RightLength(), 6);
    EXPECT_EQ(skin.TopLength(), 7);  // len came before the bad margin
    EXPECT_EQ(skin.BottomLength(), 0);
}

TEST(SkinImage, LoadCopiesTheThemeImageAndPlansFromIt) {
    TTheme theme;
    theme.Doc->LoadFromText(u"<t><left len=\"2\"/><right len=\"2\"/><top len=\"3\"/><bottom len=\"3\"/></t>");
    theme.TitleColor = 0x804020;
    theme.Background.Width = 10;
    theme.Background.Height = 8;
    theme.Background.Bgra.assign(10 * 8 * 4, 0x7F);
    TSkin skin;
    skin.Load(theme);
    const uint32_t version = skin.ImageVersion();
    EXPECT_EQ(skin.Image().Bgra, theme.Background.Bgra);
    // A shade of the title colour, so that today's fill in the title colour shows on it.
    EXPECT_EQ(skin.PlainColor(), 0x402010u);
    EXPECT_EQ(skin.Plan(30, 20), PlanSkin(skin.Bands(), 10, 8, 30, 20));
    // The copy is the skin's own: the theme may replace its image.
    theme.Background = TThemeImage();
    EXPECT_EQ(skin.Image().Width, 10);
    skin.Load(theme);
    EXPECT_NE(skin.ImageVersion(), version);
    EXPECT_TRUE(skin.Plan(30, 20).empty());  // nothing to copy from: the window paints PlainColor
}

// A 6 x 6 image with 2-pixel bands and clear corner pixels, as the shipped frame's rounded
// corners are. (The centre's one-pixel overlap covers the bands' inner column and row only.)
TTheme CornerTheme(uint8_t cornerAlpha) {
    TTheme theme;
    theme.Doc->LoadFromText(uR"(<t><left len="2"/><right len="2"/><top len="2" margin1="2" margin2="2"/>
                                <bottom len="2" margin1="2" margin2="2"/></t>)");
    theme.Background.Width = 6;
    theme.Background.Height = 6;
    theme.Background.Bgra.assign(6 * 6 * 4, 0xFF);
    for (const auto& p : std::vector<std::pair<int, int>>{{0, 0}, {5, 0}, {0, 5}, {5, 5}})
        theme.Background.Bgra[size_t(p.second * 6 + p.first) * 4 + 3] = cornerAlpha;
    return theme;
}

TEST(SkinShape, ClearCornersAreCutAtEverySize) {
    TSkin skin;
    skin.Load(CornerTheme(0));
    const std::vector<TRect> natural = {{1, 0, 5, 1}, {0, 1, 6, 5}, {1, 5, 5, 6}};
    EXPECT_EQ(skin.Shape(6, 6), natural);
    // Stretched, the corners stay one pixel and the rows between them merge into one rectangle.
    const std::vector<TRect> large = {{1, 0, 9, 1}, {0, 1, 10, 6}, {1, 6, 9, 7}};
    EXPECT_EQ(skin.Shape(10, 7), large);
}

TEST(SkinShape, HalfOpaquePixelsBelongToTheWindow) {
    TSkin skin;
    skin.Load(CornerTheme(128));
    EXPECT_TRUE(skin.Shape(10, 7).empty());  // nothing cut: no region at all
    skin.Load(CornerTheme(127));
    EXPECT_EQ(skin.Shape(10, 7).size(), 3u);
}

TEST(SkinShape, AWhollyClearImageOrNoImageKeepsTheRectangle) {
    TTheme theme = CornerTheme(0);
    for (size_t i = 3; i < theme.Background.Bgra.size(); i += 4) theme.Background.Bgra[i] = 0;
    TSkin skin;
    skin.Load(theme);
    EXPECT_TRUE(skin.Shape(10, 7).empty());
    theme.Background = TThemeImage();
    skin.Load(theme);
    EXPECT_TRUE(skin.Shape(10, 7).empty());
}

// The theme that ships with the program: every font has a face and a size, the image is there,
// all four bands are given and fit inside it, and the title band is the image's top.
TEST(ShippedTheme, LoadsWithEveryFontAndAnImageItsBandsFit) {
    TTheme theme;
    theme.ThemeRoot = Utf8ToUtf16(std::string(TESSEL_SOURCE_DIR) + "/themes/");
    theme.Load();
    for (const TCalFont* f : {&theme.EventFont, &theme.DateFont, &theme.WeekFont, &theme.DayFont, &theme.Day2Font,
                              &theme.WeekNoFont, &theme.TitleFont}) {
        EXPECT_FALSE(f->Name.empty());
        EXPECT_GE(f->Size, 7);
    }
    ASSERT_FALSE(theme.Background.Empty());
    for (const char16_t* side : {u"left", u"right", u"top", u"bottom"}) {
        SCOPED_TRACE(Narrow(side));
        EXPECT_NE(theme.Doc->FindNode(side), nullptr);
    }
    TSkin skin;
    skin.Load(theme);
    EXPECT_GT(skin.TopLength(), 0);
    EXPECT_LT(skin.LeftLength() + skin.RightLength(), theme.Background.Width);
    EXPECT_LT(skin.TopLength() + skin.BottomLength(), theme.Background.Height);
    EXPECT_LE(skin.TopBand.Margin1 + skin.TopBand.Margin2, theme.Background.Width);
    EXPECT_LE(skin.BottomBand.Margin1 + skin.BottomBand.Margin2, theme.Background.Width);
}

}  // namespace
}  // namespace tessel
