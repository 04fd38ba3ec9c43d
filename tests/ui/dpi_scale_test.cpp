#include "ui/dpi_scale.h"

#include <gtest/gtest.h>

#include <memory>

#include "ui/skin.h"
#include "xml/xdata_node.h"

namespace tessel {
namespace {

TEST(DpiScale, LengthsAndFontsAtTheCommonResolutions) {
    struct Case {
        int32_t dpi;
        int32_t len5, len26, len50, len16, font7, font9, font10;
    };
    const Case cases[] = {
        {96, 5, 26, 50, 16, 9, 12, 13},
        {120, 6, 33, 63, 20, 12, 15, 17},  // 6.25, 32.5, 62.5: halves go up
        {144, 8, 39, 75, 24, 14, 18, 20},  // 7.5
        {192, 10, 52, 100, 32, 19, 24, 27},
        {0, 5, 26, 50, 16, 9, 12, 13},  // no resolution reported: laid out for 96
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        EXPECT_EQ(ScaleToDpi(5, c.dpi), c.len5);
        EXPECT_EQ(ScaleToDpi(26, c.dpi), c.len26);
        EXPECT_EQ(ScaleToDpi(50, c.dpi), c.len50);
        EXPECT_EQ(ScaleToDpi(16, c.dpi), c.len16);
        EXPECT_EQ(ScaleToDpi(-16, c.dpi), -c.len16);
        EXPECT_EQ(FontPixelHeight(7, c.dpi), c.font7);
        EXPECT_EQ(FontPixelHeight(9, c.dpi), c.font9);
        EXPECT_EQ(FontPixelHeight(10, c.dpi), c.font10);
    }
    // No overflow for lengths a screen could never show.
    EXPECT_EQ(ScaleToDpi(INT32_MAX, 192), INT32_MAX);
}

TThemeImage Image(int32_t w, int32_t h, std::initializer_list<uint8_t> grey) {
    TThemeImage image{w, h, {}};
    for (uint8_t g : grey) image.Bgra.insert(image.Bgra.end(), {g, g, g, uint8_t(255 - g)});
    return image;
}

TEST(DpiScale, ResamplingBlendsInsteadOfRepeatingPixels) {
    struct Case {
        const char* what;
        TThemeImage source;
        int32_t width, height;
        std::vector<uint8_t> expectedBlue;  // row by row
    };
    const Case cases[] = {
        {"150 %: the new pixel between black and white is grey", Image(2, 1, {0, 255}), 3, 1, {0, 128, 255}},
        {"200 %: a ramp, not two blocks", Image(2, 1, {0, 200}), 4, 1, {0, 50, 150, 200}},
        {"a flat colour stays flat", Image(2, 2, {90, 90, 90, 90}), 5, 3, std::vector<uint8_t>(15, 90)},
        {"50 %: the mean of the pixels covered", Image(4, 1, {0, 100, 200, 250}), 2, 1, {50, 225}},
        {"vertically too", Image(1, 2, {0, 255}), 1, 3, {0, 128, 255}},
        {"the same size is a copy", Image(2, 1, {7, 9}), 2, 1, {7, 9}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const TThemeImage out = ResampleImage(c.source, c.width, c.height);
        ASSERT_EQ(out.Width, c.width);
        ASSERT_EQ(out.Height, c.height);
        ASSERT_EQ(out.Bgra.size(), size_t(c.width * c.height * 4));
        for (size_t i = 0; i < c.expectedBlue.size(); ++i) {
            EXPECT_EQ(out.Bgra[i * 4], c.expectedBlue[i]) << "pixel " << i;
            EXPECT_NEAR(out.Bgra[i * 4 + 3], 255 - out.Bgra[i * 4], 1) << "alpha follows the colour, pixel " << i;
        }
    }
    EXPECT_TRUE(ResampleImage(TThemeImage{}, 3, 3).Empty());
    EXPECT_TRUE(ResampleImage(Image(1, 1, {5}), 0, 3).Empty());
}

// The default theme's bands and image at each resolution: the skin scales as one picture, so a
// window at 1.5 times the size is painted by the same plan scaled 1.5 times.
TEST(DpiScale, ASkinScalesItsBandsWithItsImage) {
    TTheme theme;
    theme.Doc = std::make_unique<TxdataNode>();
    theme.Doc->LoadFromText(uR"(<t><left len="5"/><right len="6"/><top len="26" margin1="12" margin2="12"/>
                                 <bottom len="8" margin1="12" margin2="12"/></t>)");
    theme.Background = Image(48, 56, std::initializer_list<uint8_t>{});
    theme.Background.Bgra.assign(48 * 56 * 4, 200);
    struct Case {
        int32_t dpi, imageWidth, imageHeight, left, top, right, bottom, topMargin;
    };
    const Case cases[] = {
        {96, 48, 56, 5, 26, 6, 8, 12},
        {120, 60, 70, 6, 33, 8, 10, 15},
        {144, 72, 84, 8, 39, 9, 12, 18},
        {192, 96, 112, 10, 52, 12, 16, 24},
    };
    TSkin skin;
    skin.Load(theme);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dpi);
        const uint32_t version = skin.ImageVersion();
        skin.SetDpi(c.dpi);
        if (c.dpi != 96) {
            EXPECT_NE(skin.ImageVersion(), version) << "windows redraw their cached picture";
        }
        EXPECT_EQ(skin.Dpi(), c.dpi);
        EXPECT_EQ(skin.Image().Width, c.imageWidth);
        EXPECT_EQ(skin.Image().Height, c.imageHeight);
        EXPECT_EQ(skin.LeftLength(), c.left);
        EXPECT_EQ(skin.TopLength(), c.top);
        EXPECT_EQ(skin.RightLength(), c.right);
        EXPECT_EQ(skin.BottomLength(), c.bottom);
        EXPECT_EQ(skin.TopBand.Margin1, c.topMargin);
        // A reload keeps the resolution and scales the new description once, not twice.
        skin.Load(theme);
        EXPECT_EQ(skin.TopLength(), c.top);
        // Every window pixel is painted by some piece of the plan.
        const int32_t w = ScaleToDpi(160, c.dpi), h = ScaleToDpi(140, c.dpi);
        const std::vector<TSkinBlit> plan = skin.Plan(w, h);
        for (int32_t y = 0; y < h; y += 3)
            for (int32_t x = 0; x < w; x += 3) {
                bool covered = false;
                for (const TSkinBlit& b : plan) covered = covered || b.Dest.Contains(x, y);
                ASSERT_TRUE(covered) << x << "," << y;
            }
    }
}

}  // namespace
}  // namespace tessel
