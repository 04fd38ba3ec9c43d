#pragma once
// Move-only owners for the Win32 handles the windows use. Ownership transfers are written out
// with release(); a select guard puts the previously selected object back into its DC (declare
// the object before the guard so it is deselected before it is deleted).
#include <windows.h>

#include <memory>
#include <type_traits>
#include <utility>

namespace tessel::win32 {

template <class H, class D>
using Owned = std::unique_ptr<std::remove_pointer_t<H>, D>;

struct GdiDeleter {
    void operator()(HGDIOBJ h) const noexcept { DeleteObject(h); }
};
struct DcDeleter {
    void operator()(HDC h) const noexcept { DeleteDC(h); }
};
struct IconDeleter {
    void operator()(HICON h) const noexcept { DestroyIcon(h); }
};
struct MenuDeleter {
    void operator()(HMENU h) const noexcept { DestroyMenu(h); }
};
struct WindowDeleter {
    void operator()(HWND h) const noexcept { DestroyWindow(h); }
};

using FontHandle = Owned<HFONT, GdiDeleter>;
using BrushHandle = Owned<HBRUSH, GdiDeleter>;
using PenHandle = Owned<HPEN, GdiDeleter>;
using BitmapHandle = Owned<HBITMAP, GdiDeleter>;
using RegionHandle = Owned<HRGN, GdiDeleter>;
using MemoryDc = Owned<HDC, DcDeleter>;
using IconHandle = Owned<HICON, IconDeleter>;
using MenuHandle = Owned<HMENU, MenuDeleter>;
using WindowHandle = Owned<HWND, WindowDeleter>;

// GetDC / ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND hwnd) : hwnd_(hwnd), dc_(GetDC(hwnd)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() {
        if (dc_) ReleaseDC(hwnd_, dc_);
    }
    HDC get() const { return dc_; }

private:
    HWND hwnd_;
    HDC dc_;
};

// BeginPaint / EndPaint.
class PaintDc {
public:
    explicit PaintDc(HWND hwnd) : hwnd_(hwnd) { dc_ = BeginPaint(hwnd, &ps_); }
    PaintDc(const PaintDc&) = delete;
    PaintDc& operator=(const PaintDc&) = delete;
    ~PaintDc() { EndPaint(hwnd_, &ps_); }
    HDC get() const { return dc_; }
    const RECT& Area() const { return ps_.rcPaint; }

private:
    HWND hwnd_;
    PAINTSTRUCT ps_{};
    HDC dc_ = nullptr;
};

// SelectObject with the old object put back at scope exit.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ object) : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;
    ~SelectGuard() {
        if (old_) SelectObject(dc_, old_);
    }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// SaveDC / RestoreDC: for code that changes several DC attributes at once.
class SavedDc {
public:
    explicit SavedDc(HDC dc) : dc_(dc), id_(SaveDC(dc)) {}
    SavedDc(const SavedDc&) = delete;
    SavedDc& operator=(const SavedDc&) = delete;
    ~SavedDc() {
        if (id_) RestoreDC(dc_, id_);
    }

private:
    HDC dc_;
    int id_;
};

}  // namespace tessel::win32
