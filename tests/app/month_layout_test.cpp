#include "app/month_layout.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TDateTime D(int y, int m, int d) { return EncodeDate(y, m, d); }

TEST(IsoWeekTest, KnownWeeksAtTheYearsEdges) {
    EXPECT_EQ(IsoWeekNumber(D(2009, 12, 31)), 53);
    EXPECT_EQ(IsoWeekNumber(D(2010, 1, 3)), 53);  // a Sunday still in 2009's last week
    EXPECT_EQ(IsoWeekNumber(D(2010, 1, 4)), 1);
    EXPECT_EQ(IsoWeekNumber(D(2008, 12, 29)), 1);  // a Monday already in 2009's first week
    EXPECT_EQ(IsoWeekNumber(D(2009, 10, 5) + 0.99), 41);
    EXPECT_EQ(IsoWeeksInYear(2009), 53);
    EXPECT_EQ(IsoWeeksInYear(2010), 52);
    EXPECT_EQ(IsoWeeksInYear(2015), 53);
    EXPECT_EQ(IsoWeeksInYear(2020), 53);
}

TEST(MonthMatrixTest, February2009HasFourRowsAndNoOtherMonths) {
    const MonthMatrix m = BuildMonthMatrix(D(2009, 2, 14) + 0.5);
    ASSERT_EQ(m.WeekCount, 4);
    EXPECT_EQ(m.At(0, 0), D(2009, 2, 1));
    EXPECT_EQ(m.At(6, 3), D(2009, 2, 28));
}

TEST(MonthMatrixTest, August2009HasSixRowsWithJulyInTheFirst) {
    const MonthMatrix m = BuildMonthMatrix(D(2009, 8, 31));
    ASSERT_EQ(m.WeekCount, 6);
    EXPECT_EQ(m.At(0, 0), D(2009, 7, 26));
    EXPECT_EQ(m.At(5, 0), D(2009, 7, 31));
    EXPECT_EQ(m.At(6, 0), D(2009, 8, 1));
    EXPECT_EQ(m.At(1, 5), D(2009, 8, 31));
    EXPECT_EQ(m.At(6, 5), D(2009, 9, 5));
}

TEST(MonthMatrixTest, YearEdgeMonthsShowTheRightWeekNumbers) {
    const MonthMatrix jan = BuildMonthMatrix(D(2010, 1, 10));
    ASSERT_EQ(jan.WeekCount, 6);
    EXPECT_EQ(jan.At(0, 0), D(2009, 12, 27));
    EXPECT_EQ(IsoWeekNumber(jan.At(6, 0)), 53);  // the week number column reads Saturday's week
    for (int row = 1; row < 6; ++row) EXPECT_EQ(IsoWeekNumber(jan.At(6, row)), row);

    const MonthMatrix dec = BuildMonthMatrix(D(2008, 12, 1));
    ASSERT_EQ(dec.WeekCount, 5);
    EXPECT_EQ(dec.At(0, 4), D(2008, 12, 28));
    EXPECT_EQ(dec.At(6, 4), D(2009, 1, 3));
    EXPECT_EQ(IsoWeekNumber(dec.At(6, 4)), 1);
}

TEST(MonthMatrixTest, EveryMonthFrom2000To2040MatchesTheClosedFormAndHasNoGaps) {
    for (int year = 2000; year <= 2040; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const TDateTime first = D(year, month, 1);
            const int offset = DayOfWeek(first) - 1;
            const int days = DaysInMonth(year, month);
            const MonthMatrix m = BuildMonthMatrix(first + 3);
            ASSERT_EQ(m.WeekCount, (offset + days - 1) / 7 + 1) << year << "-" << month;
            // Row-major reading gives consecutive days starting on a Sunday.
            TDateTime expected = first - offset;
            for (int row = 0; row < m.WeekCount; ++row)
                for (int column = 0; column < 7; ++column, expected += 1)
                    ASSERT_EQ(m.At(column, row), expected) << year << "-" << month << " " << column << "," << row;
            EXPECT_GE(m.At(6, m.WeekCount - 1), D(year, month, days));
        }
    }
}

TEST(GridGeometryTest, SaturdayColumnIsWiderThanTheGridShows) {
    const GridGeometry g = GridGeometry::For(7, 14, 5);
    EXPECT_EQ(g.ColWidth, 16);
    EXPECT_EQ(g.RowHeight, 16);
    EXPECT_EQ(g.Width(), 8 * 16 + 1);
    EXPECT_EQ(g.Height(), 6 * 16 + 1);
    const auto sat = g.CellRect(7, 2);
    EXPECT_EQ(sat.left, 112);
    EXPECT_EQ(sat.right, 162);
    EXPECT_EQ(sat.top, 32);
    int column = -1, row = -1;
    ASSERT_TRUE(g.CellAt(128, 95, column, row));  // the grid's last visible pixel column
    EXPECT_EQ(column, 7);
    EXPECT_EQ(row, 5);
    ASSERT_TRUE(g.CellAt(15, 16, column, row));
    EXPECT_EQ(column, 0);
    EXPECT_EQ(row, 1);
    EXPECT_FALSE(g.CellAt(0, 96, column, row));  // below the last row
    EXPECT_FALSE(g.CellAt(-1, 5, column, row));
    EXPECT_FALSE(g.CellAt(162, 5, column, row));
}

}  // namespace
}  // namespace tessel
