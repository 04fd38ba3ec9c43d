// The main window's layouts at the common display resolutions: the title bar's images and the
// month grid's cells grow with the resolution, stay apart and keep inside their window.
#include <gtest/gtest.h>

#include "app/month_layout.h"
#include "app/title_bar_layout.h"
#include "ui/dpi_scale.h"

namespace tessel {
namespace {

constexpr int32_t kDpis[] = {96, 120, 144, 192};

bool Overlap(const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

TEST(ScaledLayout, TitleBarImagesGrowWithTheResolutionAndStayApart) {
    for (int32_t dpi : kDpis) {
        SCOPED_TRACE(dpi);
        // The default theme: a 26-pixel bar over a 155-pixel window at 96 DPI.
        const TitleBarLayout bar{ScaleToDpi(155, dpi), ScaleToDpi(26, dpi), dpi};
        const TitleBarLayout design{155, 26, 96};
        for (int b = 0; b < kTitleButtonCount; ++b) {
            const TRect r = bar.ButtonRect(b);
            const TRect d = design.ButtonRect(b);
            EXPECT_EQ(r.Width(), ScaleToDpi(16, dpi));
            EXPECT_EQ(r.Height(), ScaleToDpi(16, dpi));
            // Where the 96-DPI image sits, scaled, give or take the rounding of two lengths.
            EXPECT_NEAR(r.Left, d.Left * dpi / 96.0, 1.5);
            EXPECT_NEAR(r.Top, d.Top * dpi / 96.0, 1.5);
            EXPECT_GE(r.Left, 0);
            EXPECT_GE(r.Top, 0);
            EXPECT_LE(r.Right, bar.Width);
            EXPECT_LE(r.Bottom, bar.Height);
            for (int other = b + 1; other < kTitleButtonCount; ++other)
                EXPECT_FALSE(Overlap(r, bar.ButtonRect(other))) << b << " and " << other;
            // The hit rectangle is the drawn one.
            EXPECT_EQ(bar.ButtonAt(r.Left, r.Top), b);
            EXPECT_EQ(bar.ButtonAt(r.Right - 1, r.Bottom - 1), b);
            EXPECT_NE(bar.ButtonAt(r.Right, r.Top), b);
        }
    }
}

TEST(ScaledLayout, GridCellsTileTheGridAtEveryResolution) {
    for (int32_t dpi : kDpis) {
        SCOPED_TRACE(dpi);
        // The day font measured at the resolution: about 8 by 16 pixels at 96 DPI.
        const GridGeometry g = GridGeometry::For(ScaleToDpi(8, dpi), ScaleToDpi(16, dpi), 6, dpi);
        EXPECT_EQ(g.SaturdayWidth, ScaleToDpi(50, dpi));
        EXPECT_EQ(g.ColumnWidth(GridGeometry::kColumns - 1), ScaleToDpi(50, dpi));
        // Every cell's own pixels find that cell, so no two cells overlap and none is cut off.
        for (int row = 0; row < g.Rows; ++row)
            for (int column = 0; column < GridGeometry::kColumns; ++column) {
                const GridGeometry::Rect r = g.CellRect(column, row);
                for (const auto& [x, y] : {std::pair{r.left, r.top}, std::pair{r.right - 1, r.bottom - 1}}) {
                    int c = -1, w = -1;
                    ASSERT_TRUE(g.CellAt(x, y, c, w)) << column << "," << row;
                    EXPECT_EQ(c, column);
                    EXPECT_EQ(w, row);
                }
            }
        const GridGeometry::Rect saturday = g.CellRect(GridGeometry::kColumns - 1, 0);
        int c = 0, w = 0;
        EXPECT_FALSE(g.CellAt(saturday.right, 0, c, w));
        // The cells hold their text: two digits of the day font with a pixel around them.
        EXPECT_GE(g.ColWidth, 2 * ScaleToDpi(8, dpi) + 2);
        EXPECT_GE(g.RowHeight, ScaleToDpi(16, dpi) + 2);
    }
}

}  // namespace
}  // namespace tessel
