#pragma once
// The month grid read back from the screen: its cell geometry (from the window's size, which is
// 8 columns by week rows + 1), today's fill and the frames around days with events.
#include <windows.h>

#include <filesystem>
#include <set>
#include <string>

#include "e2e_month.h"
#include "win32_e2e_screen.h"

namespace tessel::e2e {

// The theme colours the grid draws with, read from the theme's own file.
struct GridColors {
    COLORREF Today = 0;        // title/color: today's fill
    COLORREF Day = 0;          // font-day/color: numbers and frames of the displayed month
    COLORREF OtherMonth = 0;   // font-day2/color: the neighbouring months' days
    COLORREF Header = 0;       // font-week/color: the day names of the header row
    int TitleBarHeight = 0;    // top/len: the skin's title bar

    static GridColors FromTheme(const std::filesystem::path& themeFolder);
};

class GridView {
public:
    // Captures the grid window as the screen shows it; the geometry follows from its size.
    GridView(HWND grid, const ExpectedMonth& month);

    bool Valid() const { return !pixels_.Empty() && colWidth_ > 0 && rowHeight_ > 0; }
    // Why the window's size does not fit the month's rows, empty when it does.
    std::string GeometryProblem() const { return problem_; }
    int ColWidth() const { return colWidth_; }
    int RowHeight() const { return rowHeight_; }
    const Image& Pixels() const { return pixels_; }

    // The box of a day cell (matrix column 0 Sunday ... 6 Saturday, week row from 0) in grid
    // coordinates: the cell shrunk by 2 on every side, the Saturday cell cut where the grid ends.
    RECT DayBox(int column, int row) const;
    // The grid rectangle of a day box in screen coordinates.
    RECT ScreenBox(int column, int row) const;

    // The share of the header row's day-name cells in the colour: above nothing once the cells
    // are drawn (the header lies above the status panel, which can hide the days).
    double HeaderShare(COLORREF color) const;
    // The share of the box filled with today's colour.
    double FillShare(int column, int row, COLORREF color) const;
    // The box's top and bottom edges (without the rounded corners) are drawn in the colour.
    bool Framed(int column, int row, COLORREF color) const;

private:
    Image pixels_;
    RECT screen_{};
    int colWidth_ = 0;
    int rowHeight_ = 0;
    std::string problem_;
};

}  // namespace tessel::e2e
