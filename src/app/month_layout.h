#pragma once
// The month grid's arithmetic: which date each cell shows, ISO 8601 week numbers, and the cell
// geometry (seven day columns after a week-number column, the Saturday column 50 pixels wide).
// The Win32 grid only paints and routes mouse input through this.
#include <array>

#include "base/date_time.h"
#include "ui/dpi_scale.h"

namespace tessel {

// ISO 8601: weeks start on Monday; week 1 holds the year's first Thursday.
int IsoWeekNumber(TDateTime day);
// 52 or 53.
int IsoWeeksInYear(int year);

// Seven columns (Sunday 0 ... Saturday 6) by WeekCount rows, without gaps from the Sunday on or
// before the 1st to the Saturday on or after the last day.
struct MonthMatrix {
    int WeekCount = 0;  // 4 to 6; 0 before the first build
    std::array<std::array<TDateTime, 6>, 7> Cells{};

    bool Empty() const { return WeekCount == 0; }
    TDateTime At(int column, int row) const { return Cells[size_t(column)][size_t(row)]; }
};

MonthMatrix BuildMonthMatrix(TDateTime date);

// Grid cells: row 0 is the day-name header, column 0 the week numbers; the rest show the matrix.
struct GridGeometry {
    static constexpr int kColumns = 8;
    static constexpr int kSaturdayWidth = 50;

    int ColWidth = 0;   // 2 x the day font's character width + 2
    int RowHeight = 0;  // the day font's text height + 2
    int Rows = 0;       // WeekCount + 1
    int SaturdayWidth = kSaturdayWidth;  // at the window's resolution

    // The day font's measurements are taken at the window's resolution already; the Saturday
    // column's fixed width is scaled to it.
    static GridGeometry For(int dayCharWidth, int dayTextHeight, int weekCount, int dpi = 96);

    int Width() const { return kColumns * ColWidth + 1; }
    int Height() const { return Rows * RowHeight + 1; }
    int ColumnLeft(int column) const { return column * ColWidth; }
    int ColumnWidth(int column) const { return column == kColumns - 1 ? SaturdayWidth : ColWidth; }

    struct Rect {
        int left, top, right, bottom;
    };
    Rect CellRect(int column, int row) const;
    // The cell under a point of the grid's client area; false outside every cell.
    bool CellAt(int x, int y, int& column, int& row) const;
};

}  // namespace tessel
