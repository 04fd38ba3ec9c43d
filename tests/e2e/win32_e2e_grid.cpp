#include "win32_e2e_grid.h"

#include <algorithm>

#include "base/file_io.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "xml/xdata_node.h"

namespace tessel::e2e {

namespace {

// "#RRGGBB" as a COLORREF.
COLORREF ThemeColor(const TxdataNode& theme, const char16_t* path) {
    std::string text = Trim(Narrow(theme.ReadValue(path)));
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return c == '\'' || c == '"'; }), text.end());
    if (text.size() != 7 || text[0] != '#') return CLR_INVALID;
    const unsigned long rgb = std::stoul(text.substr(1), nullptr, 16);
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// The part of a row of pixels that lies on a straight frame edge, and how much of it is in colour.
double EdgeShare(const Image& image, int left, int right, int y, COLORREF color) {
    return ShareNear(image, RECT{left, y, right, y + 1}, color);
}

}  // namespace

GridColors GridColors::FromTheme(const std::filesystem::path& themeFolder) {
    TxdataNode theme;
    theme.LoadFromBytes(ReadTextAsCrLf((themeFolder / "profile.xml").u16string()));
    GridColors colors;
    colors.Today = ThemeColor(theme, u"title/color");
    colors.Day = ThemeColor(theme, u"font-day/color");
    colors.OtherMonth = ThemeColor(theme, u"font-day2/color");
    colors.Header = ThemeColor(theme, u"font-week/color");
    colors.TitleBarHeight = StrToInt(theme.ReadValue(u"top/len"));
    return colors;
}

GridView::GridView(HWND grid, const ExpectedMonth& month) {
    GetWindowRect(grid, &screen_);
    pixels_ = CaptureScreen(screen_);
    const int width = screen_.right - screen_.left, height = screen_.bottom - screen_.top;
    const int rows = month.WeekCount + 1;
    if ((width - 1) % 8 != 0 || (height - 1) % rows != 0 || width < 9 || height <= rows) {
        problem_ = "the grid is " + std::to_string(width) + " x " + std::to_string(height) +
                   ", which is not 8 columns by " + std::to_string(rows) + " rows plus one pixel";
        return;
    }
    colWidth_ = (width - 1) / 8;
    rowHeight_ = (height - 1) / rows;
}

RECT GridView::DayBox(int column, int row) const {
    const int left = (column + 1) * colWidth_, top = (row + 1) * rowHeight_;
    // The Saturday column is 50 pixels wide but shows only what fits in the grid.
    const int right = column == 6 ? std::min(left + 50, pixels_.Width) : left + colWidth_;
    return RECT{left + 2, top + 2, right - 2, top + rowHeight_ - 2};
}

RECT GridView::ScreenBox(int column, int row) const {
    RECT box = DayBox(column, row);
    OffsetRect(&box, screen_.left, screen_.top);
    return box;
}

double GridView::HeaderShare(COLORREF color) const {
    return ShareNear(pixels_, RECT{colWidth_, 0, pixels_.Width, rowHeight_}, color);
}

double GridView::FillShare(int column, int row, COLORREF color) const {
    return ShareNear(pixels_, DayBox(column, row), color);
}

bool GridView::Framed(int column, int row, COLORREF color) const {
    const RECT box = DayBox(column, row);
    // RoundRect draws its outline inside the box; the 5 x 5 corners leave the edges straight
    // from 3 pixels in.
    const int left = box.left + 3, right = box.right - 3;
    return EdgeShare(pixels_, left, right, box.top, color) >= 0.9 &&
           EdgeShare(pixels_, left, right, box.bottom - 1, color) >= 0.9;
}

}  // namespace tessel::e2e
