#pragma once
// CalGrid: the month grid's window. It paints the day-name header, the week numbers and the day
// cells over its parent's skin, and reports double clicks on day cells. The dates come from the
// main window's month matrix; the marks from the calendar client.
#include <windows.h>

#include <functional>

#include "app/month_layout.h"
#include "win32/win32_window.h"

namespace tessel {

class TEventSources;
class TTheme;
class IClock;

class TMonthGrid final : public win32::Window {
public:
    TMonthGrid(const TEventSources& calendar, const TTheme& theme, const IClock& clock);

    bool CreateIn(HWND parent, int x, int y);

    // The month to show, the displayed month (for the neighbouring-month font), and the cell
    // sizes: sets the window's size to the grid's.
    void SetMonth(const MonthMatrix& matrix, TDateTime displayedDate, const GridGeometry& geometry);
    const GridGeometry& Geometry() const { return geometry_; }
    const MonthMatrix& Matrix() const { return matrix_; }

    // A double click on a day cell.
    std::function<void(TDateTime day)> OnDayDoubleClick;
    // Mouse moves over the grid (for the day hint window).
    std::function<void(int x, int y)> OnMouseMove;

    // The current cell (set by a button release), as the grid keeps it; drawing ignores it.
    int CurrentColumn() const { return currentColumn_; }
    int CurrentRow() const { return currentRow_; }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void Paint();
    void PaintCells(HDC dc);
    void DrawCell(HDC dc, int column, int row, RECT rect);
    void MouseUp(int x, int y);
    void DoubleClick(int x, int y);

    const TEventSources& calendar_;
    const TTheme& theme_;
    const IClock& clock_;
    MonthMatrix matrix_;
    TDateTime displayedDate_ = 0;
    GridGeometry geometry_;
    int currentColumn_ = 0;
    int currentRow_ = 0;
};

}  // namespace tessel
