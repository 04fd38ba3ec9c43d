#include "ui/win32_event_grid.h"

#include <windowsx.h>

#include <algorithm>

#include "win32/win32_handles.h"

namespace tessel {

bool TEventGrid::CreateIn(HWND parent) {
    const wchar_t* cls = RegisterClassOnce(L"TesselEventGrid", CS_DBLCLKS, nullptr, nullptr);
    if (!Create(0, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL, 0, 0, 0, 0, parent)) return false;
    UpdateScrollBar();
    return true;
}

void TEventGrid::SetRowCount(int count) {
    heights_.assign(size_t(std::max(count, 1)), defaultHeight_);
    row_ = 0;
    topRow_ = 0;
    UpdateScrollBar();
    InvalidateRect(Handle(), nullptr, FALSE);
}

void TEventGrid::SetDefaultRowHeight(int height) {
    defaultHeight_ = std::max(height, 1);
    std::fill(heights_.begin(), heights_.end(), defaultHeight_);
    UpdateScrollBar();
}

void TEventGrid::SetRowHeight(int row, int height) {
    if (row < 0 || row >= RowCount() || heights_[size_t(row)] == height) return;
    heights_[size_t(row)] = std::max(height, 1);
    heightsChanged_ = true;
}

void TEventGrid::SetTopRow(int row) {
    const int top = std::clamp(row, 0, LastTopRow());
    if (top == topRow_) return;
    topRow_ = top;
    UpdateScrollBar();
    InvalidateRect(Handle(), nullptr, FALSE);
}

int TEventGrid::RowAt(int y) const {
    if (y < 0) return -1;
    int top = 0;
    for (int row = topRow_; row < RowCount(); ++row) {
        top += heights_[size_t(row)];
        if (y < top) return row;
    }
    return -1;
}

RECT TEventGrid::CellRect(int row) const {
    int top = 0;
    if (row >= topRow_)
        for (int r = topRow_; r < row; ++r) top += heights_[size_t(r)];
    else
        for (int r = row; r < topRow_; ++r) top -= heights_[size_t(r)];
    return RECT{0, top, colWidth_, top + heights_[size_t(row)]};
}

int TEventGrid::ClientHeight() const {
    RECT client{};
    GetClientRect(Handle(), &client);
    return client.bottom;
}

// The highest top row that still fills the view: the rows from there to the end just fit.
int TEventGrid::LastTopRow() const {
    const int height = ClientHeight();
    int used = 0;
    int row = RowCount();
    while (row > 0 && used + heights_[size_t(row - 1)] <= height) used += heights_[size_t(--row)];
    return std::min(row, RowCount() - 1);
}

void TEventGrid::UpdateScrollBar() {
    if (!Handle()) return;
    topRow_ = std::clamp(topRow_, 0, LastTopRow());
    int total = 0;
    for (int h : heights_) total += h;
    const bool needed = total > ClientHeight();
    if (needed != scrollBarShown_) {
        scrollBarShown_ = needed;
        // Showing or hiding the bar changes the client width; the owner's column follows it.
        ShowScrollBar(Handle(), SB_VERT, needed);
    }
    if (!needed) return;
    SCROLLINFO info{sizeof info};
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = RowCount() - 1;
    info.nPage = UINT(RowCount() - LastTopRow());
    info.nPos = topRow_;
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
}

void TEventGrid::Scroll(WORD request) {
    SCROLLINFO info{sizeof info};
    info.fMask = SIF_ALL;
    GetScrollInfo(Handle(), SB_VERT, &info);
    int top = topRow_;
    switch (request) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= std::max(1, int(info.nPage)); break;
    case SB_PAGEDOWN: top += std::max(1, int(info.nPage)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: top = info.nTrackPos; break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = RowCount(); break;
    default: return;
    }
    SetTopRow(top);
}

LRESULT TEventGrid::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_ERASEBKGND:
        return 1;  // painted whole in WM_PAINT
    case WM_PAINT:
        Paint();
        return 0;
    case WM_SIZE:
        UpdateScrollBar();
        if (OnResize) OnResize();
        InvalidateRect(Handle(), nullptr, FALSE);
        return 0;
    case WM_VSCROLL:
        Scroll(LOWORD(wp));
        return 0;
    case WM_MOUSEWHEEL:
        SetTopRow(topRow_ - GET_WHEEL_DELTA_WPARAM(wp) / WHEEL_DELTA);
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        const int row = RowAt(GET_Y_LPARAM(lp));
        if (row >= 0) row_ = row;
        return 0;
    }
    case WM_RBUTTONUP: {
        const int row = RowAt(GET_Y_LPARAM(lp));
        if (row >= 0) row_ = row;
        if (OnContextMenu) OnContextMenu();
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        if (OnDblClick) OnDblClick();
        return 0;
    }
    return DefaultProc(msg, wp, lp);
}

void TEventGrid::Paint() {
    win32::PaintDc paint(Handle());
    RECT client{};
    GetClientRect(Handle(), &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    // Drawn off screen and copied in one piece, so rows never flash over the background.
    win32::MemoryDc memory(CreateCompatibleDC(paint.get()));
    win32::BitmapHandle bitmap(CreateCompatibleBitmap(paint.get(), client.right, client.bottom));
    {
        win32::SelectGuard selectBitmap(memory.get(), bitmap.get());
        PaintRows(memory.get(), client.right, client.bottom);
        BitBlt(paint.get(), 0, 0, client.right, client.bottom, memory.get(), 0, 0, SRCCOPY);
    }
    if (heightsChanged_) {
        // Rows that grew are drawn again at their new height; the heights are settled now, so
        // this second paint changes none.
        heightsChanged_ = false;
        UpdateScrollBar();
        InvalidateRect(Handle(), nullptr, FALSE);
    }
}

void TEventGrid::PaintRows(HDC dc, int width, int height) {
    win32::BrushHandle background(CreateSolidBrush(kBackground));
    RECT all{0, 0, width, height};
    FillRect(dc, &all, background.get());
    if (!OnDrawCell) return;
    int top = 0;
    for (int row = topRow_; row < RowCount() && top < height; ++row) {
        const RECT cell{0, top, colWidth_, top + heights_[size_t(row)]};
        {
            win32::SavedDc saved(dc);
            OnDrawCell(dc, row, cell);
        }
        top = cell.bottom;
    }
}

}  // namespace tessel
