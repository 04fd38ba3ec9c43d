#include "app/win32_month_grid.h"

#include <windowsx.h>

#include <algorithm>
#include <string>

#include "base/clock.h"
#include "base/text.h"
#include "calendar/event_sources.h"
#include "calendar/dates.h"
#include "ui/dpi_scale.h"
#include "ui/theme.h"
#include "ui/win32_drawing.h"
#include "ui/win32_skin.h"
#include "ui/win32_text_measure.h"
#include "win32/win32_dpi.h"
#include "win32/win32_handles.h"

namespace tessel {

namespace {

bool SameDay(TDateTime a, TDateTime b) { return DateOf(a) == DateOf(b); }

int MonthOf(TDateTime day) { return DecodeDate(day).month; }

// A theme font as the canvas draws it; the header and week numbers drop the styles.
TCanvasFont CanvasFont(const TCalFont& font, bool plain = false) {
    TCanvasFont canvasFont;
    TTheme::ApplyFont(canvasFont, font);
    if (plain) canvasFont.Bold = canvasFont.Italic = false;
    return canvasFont;
}

}  // namespace

TMonthGrid::TMonthGrid(const TEventSources& calendar, const TTheme& theme, const IClock& clock)
    : calendar_(calendar), theme_(theme), clock_(clock) {}

bool TMonthGrid::CreateIn(HWND parent, int x, int y) {
    const wchar_t* cls = RegisterClassOnce(L"TesselCalGrid", CS_DBLCLKS);
    return Create(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, x, y, 0, 0, parent);
}

void TMonthGrid::SetMonth(const MonthMatrix& matrix, TDateTime displayedDate, const GridGeometry& geometry) {
    matrix_ = matrix;
    displayedDate_ = displayedDate;
    geometry_ = geometry;
    SetWindowPos(Handle(), nullptr, 0, 0, geometry.Width(), geometry.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

LRESULT TMonthGrid::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // the whole grid is painted in WM_PAINT, background included
    case WM_PAINT:
        Paint();
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        MouseUp(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_LBUTTONDBLCLK:
        DoubleClick(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    case WM_MOUSEMOVE:
        if (OnMouseMove) OnMouseMove(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
        return 0;
    default:
        return DefaultProc(msg, wp, lp);
    }
}

void TMonthGrid::Paint() {
    win32::PaintDc paint(Handle());
    RECT client;
    GetClientRect(Handle(), &client);
    const int width = client.right, height = client.bottom;
    if (width <= 0 || height <= 0) return;
    // Drawn off screen and copied in one piece, so the skin behind the cells never flashes.
    win32::MemoryDc memory(CreateCompatibleDC(paint.get()));
    win32::BitmapHandle bitmap(CreateCompatibleBitmap(paint.get(), width, height));
    win32::SelectGuard selectBitmap(memory.get(), bitmap.get());
    EraseWithParentBackground(Handle(), memory.get());
    PaintCells(memory.get());
    BitBlt(paint.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

void TMonthGrid::PaintCells(HDC dc) {
    // A sync is rebuilding the event list the marks come from: the cells wait for the next paint.
    if (calendar_.Syncing || matrix_.Empty()) return;
    for (int row = 0; row < geometry_.Rows; ++row) {
        for (int column = 0; column < GridGeometry::kColumns; ++column) {
            const auto r = geometry_.CellRect(column, row);
            // The Saturday column is wider than the grid shows; its numbers and marks are centred
            // in the part that can be seen, so they are not cut in half.
            DrawCell(dc, column, row, RECT{r.left, r.top, std::min(r.right, geometry_.Width()), r.bottom});
        }
    }
}

void TMonthGrid::DrawCell(HDC dc, int column, int row, RECT rect) {
    if (row == 0 && column == 0) return;
    win32::SavedDc saved(dc);
    // The grid paints off screen: the fonts and the 96-DPI lengths below take the window's resolution.
    const int dpi = win32::WindowDpi(Handle());
    TDcCanvas canvas(dc, dpi);
    if (row == 0) {
        std::u16string name;
        DayName(column, name);
        canvas.Font() = CanvasFont(theme_.WeekFont, true);
        canvas.Prepare();
        DrawShadowText(dc, rect, name.substr(0, 3), 0);
        return;
    }
    if (column == 0) {
        const int week = IsoWeekNumber(matrix_.At(6, row - 1));
        canvas.Font() = CanvasFont(theme_.WeekNoFont, true);
        canvas.Prepare();
        DrawShadowText(dc, rect, Widen(std::to_string(week)), 0);
        return;
    }

    const TDateTime day = matrix_.At(column - 1, row - 1);
    // The box, its corners and the frame's pen are 96-DPI lengths scaled to the grid's resolution.
    const int inset = ScaleToDpi(2, dpi), corner = ScaleToDpi(5, dpi), penWidth = ScaleToDpi(1, dpi);
    RECT box{rect.left + inset, rect.top + inset, rect.right - inset, rect.bottom - inset};
    const bool hasEvents = calendar_.HasEventsOn(day);
    const TCalFont* font;
    if (SameDay(day, clock_.Now())) {
        win32::BrushHandle fill(CreateSolidBrush(theme_.TitleColor));
        win32::PenHandle pen(hasEvents ? CreatePen(PS_SOLID, penWidth, theme_.DayFont.Color) : nullptr);
        win32::SelectGuard selectFill(dc, fill.get());
        win32::SelectGuard selectPen(dc, hasEvents ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(NULL_PEN));
        RoundRect(dc, box.left, box.top, box.right, box.bottom, corner, corner);
        font = &theme_.DayNowFont;
    } else {
        const bool thisMonth = MonthOf(day) == MonthOf(displayedDate_);
        font = thisMonth ? &theme_.DayFont : &theme_.Day2Font;
        if (hasEvents) {
            win32::PenHandle pen(CreatePen(PS_SOLID, penWidth, font->Color));
            win32::SelectGuard selectPen(dc, pen.get());
            win32::SelectGuard selectBrush(dc, GetStockObject(NULL_BRUSH));
            RoundRect(dc, box.left, box.top, box.right, box.bottom, corner, corner);
        }
    }
    canvas.Font() = CanvasFont(*font);
    canvas.Prepare();
    DrawShadowText(dc, box, Widen(std::to_string(DecodeDate(day).day)), 0);
}

void TMonthGrid::MouseUp(int x, int y) {
    int column, row;
    if (geometry_.CellAt(x, y, column, row)) {
        currentColumn_ = column;
        currentRow_ = row;
    }
}

void TMonthGrid::DoubleClick(int x, int y) {
    int column, row;
    if (matrix_.Empty() || !geometry_.CellAt(x, y, column, row) || column < 1 || row < 1) return;
    if (OnDayDoubleClick) OnDayDoubleClick(matrix_.At(column - 1, row - 1));
}

}  // namespace tessel
