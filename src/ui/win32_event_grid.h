#pragma once
// EventGrid: the event list window's owner-drawn list. One column, rows of their own heights
// (a row grows when its drawn text needs more room), whole-row selection that the drawing
// ignores, and a vertical scroll bar that appears only when the rows do not fit. It scrolls by
// whole rows. It draws nothing itself: OnDrawCell draws every visible row.
#include <windows.h>

#include <functional>
#include <vector>

#include "win32/win32_window.h"

namespace tessel {

class TEventGrid final : public win32::Window {
public:
    static constexpr COLORREF kBackground = 0xEEEEEE;

    bool CreateIn(HWND parent);

    // Row count (at least 1: a grid always has a row); every row back at the default height,
    // the first row on top and selected.
    void SetRowCount(int count);
    int RowCount() const { return int(heights_.size()); }
    void SetDefaultRowHeight(int height);
    int DefaultRowHeight() const { return defaultHeight_; }
    int RowHeight(int row) const { return heights_[size_t(row)]; }
    // Changes a row's height; the grid lays itself out again after the paint that changed it.
    void SetRowHeight(int row, int height);
    void SetColWidth(int width) { colWidth_ = width; }
    int ColWidth() const { return colWidth_; }

    // The selected row, -1 for none.
    int Row() const { return row_; }
    int TopRow() const { return topRow_; }
    void SetTopRow(int row);
    // The row under a point of the client area, -1 when none.
    int RowAt(int y) const;
    RECT CellRect(int row) const;
    bool ScrollBarShown() const { return scrollBarShown_; }

    // Draws one row into dc; rect is the row's cell.
    std::function<void(HDC dc, int row, const RECT& rect)> OnDrawCell;
    std::function<void()> OnDblClick;
    // Right button released, after the row under the pointer became the selected one.
    std::function<void()> OnContextMenu;
    // The client area changed size (the window's or the scroll bar's coming and going).
    std::function<void()> OnResize;

    // Draws the visible rows into dc as WM_PAINT does.
    void PaintRows(HDC dc, int width, int height);

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint();
    void UpdateScrollBar();
    void Scroll(WORD request);
    int ClientHeight() const;
    int LastTopRow() const;

    std::vector<int> heights_ = std::vector<int>(1, 17);
    int defaultHeight_ = 17;
    int colWidth_ = 64;
    int row_ = 0;
    int topRow_ = 0;
    bool heightsChanged_ = false;
    bool scrollBarShown_ = false;
};

}  // namespace tessel
