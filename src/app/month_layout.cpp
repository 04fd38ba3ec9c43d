#include "app/month_layout.h"


namespace tessel {

namespace {

// Monday 1 ... Sunday 7.
int IsoWeekday(TDateTime day) { return (DayOfWeek(day) + 5) % 7 + 1; }

}  // namespace

int IsoWeekNumber(TDateTime day) {
    day = DateOf(day);
    const TDateTime thursday = day + (4 - IsoWeekday(day));
    const int year = DecodeDate(thursday).year;
    return int((thursday - EncodeDate(year, 1, 1)) / 7) + 1;
}

int IsoWeeksInYear(int year) { return IsoWeekNumber(EncodeDate(year, 12, 28)); }

MonthMatrix BuildMonthMatrix(TDateTime date) {
    const DateParts d = DecodeDate(date);
    const int days = DaysInMonth(d.year, d.month);
    const TDateTime first = EncodeDate(d.year, d.month, 1);
    const TDateTime last = EncodeDate(d.year, d.month, days);

    // Week rows from the ISO week numbers of the first and last day, corrected for the year's
    // edges and for Sundays (which end an ISO week but start a grid row).
    int wLast = IsoWeekNumber(last);
    if (wLast == 1) wLast = IsoWeeksInYear(d.year) + 1;
    int wFirst = IsoWeekNumber(first);
    if (wFirst > 51) wFirst = 0;
    if (DayOfWeek(first) == 1) ++wFirst;
    if (DayOfWeek(last) == 1) ++wLast;

    MonthMatrix matrix;
    matrix.WeekCount = wLast - wFirst + 1;

    const int offset = DayOfWeek(first) - 1;
    for (int i = 0; i < days; ++i) {
        const TDateTime day = first + i;
        matrix.Cells[size_t(DayOfWeek(day) - 1)][size_t((offset + i) / 7)] = day;
    }
    for (int j = 1; j <= offset; ++j) matrix.Cells[size_t(offset - j)][0] = first - j;
    const int o = DayOfWeek(last) - 1;
    for (int j = 1; j <= 6 - o; ++j) matrix.Cells[size_t(o + j)][size_t(matrix.WeekCount - 1)] = last + j;
    return matrix;
}

GridGeometry GridGeometry::For(int dayCharWidth, int dayTextHeight, int weekCount, int dpi) {
    GridGeometry g;
    g.SaturdayWidth = ScaleToDpi(kSaturdayWidth, dpi);
    g.ColWidth = 2 * dayCharWidth + 2;
    g.RowHeight = dayTextHeight + 2;
    g.Rows = weekCount + 1;
    return g;
}

GridGeometry::Rect GridGeometry::CellRect(int column, int row) const {
    const int left = ColumnLeft(column);
    const int top = row * RowHeight;
    return {left, top, left + ColumnWidth(column), top + RowHeight};
}

bool GridGeometry::CellAt(int x, int y, int& column, int& row) const {
    if (ColWidth <= 0 || RowHeight <= 0 || x < 0 || y < 0) return false;
    column = x / ColWidth;
    row = y / RowHeight;
    if (column >= kColumns) {
        // Only the Saturday column extends beyond the others.
        if (x >= ColumnLeft(kColumns - 1) + SaturdayWidth) return false;
        column = kColumns - 1;
    }
    return row < Rows;
}

}  // namespace tessel
