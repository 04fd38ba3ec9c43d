#include "ui/win32_label.h"

#include <memory>

#include "ui/win32_drawing.h"
#include "ui/win32_skin.h"
#include "ui/win32_text_measure.h"
#include "win32/win32_handles.h"
#include "win32/win32_window.h"

// A label is a plain child window painted in WM_PAINT; every change of the label's state comes
// through LabelChanged, which re-measures an auto-sized label, moves the window and repaints.

namespace tessel {

namespace {

const wchar_t kLabelClass[] = L"TesselCLabel";

class LabelWindow final : public ILabelWindow, public win32::Window {
public:
    explicit LabelWindow(TCLabel& label) : label_(label) {}

    bool Make(HWND parent) {
        const TRect& b = label_.Bounds();
        const wchar_t* cls = RegisterClassOnce(kLabelClass, 0);
        return Create(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS | (label_.Visible() ? WS_VISIBLE : 0), b.Left, b.Top,
                      b.Width(), b.Height(), parent);
    }

    void LabelChanged() override {
        if (!Handle()) return;
        if (label_.AutoSize()) Measure();
        const TRect& b = label_.Bounds();
        SetWindowPos(Handle(), nullptr, b.Left, b.Top, b.Width(), b.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
        ShowWindow(Handle(), label_.Visible() ? SW_SHOWNA : SW_HIDE);
        InvalidateRect(Handle(), nullptr, TRUE);
    }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override {
        switch (msg) {
        case WM_ERASEBKGND:
            EraseBackground(reinterpret_cast<HDC>(wp));
            return 1;
        case WM_PAINT: {
            win32::PaintDc paint(Handle());
            PaintText(paint.get());
            return 0;
        }
        case WM_PRINTCLIENT:
            EraseBackground(reinterpret_cast<HDC>(wp));
            PaintText(reinterpret_cast<HDC>(wp));
            return 0;
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (label_.OnMouseDown) label_.OnMouseDown(label_, ButtonOf(msg), short(LOWORD(lp)), short(HIWORD(lp)));
            return 0;
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            if (label_.OnMouseUp) label_.OnMouseUp(label_, ButtonOf(msg), short(LOWORD(lp)), short(HIWORD(lp)));
            return 0;
        }
        return DefaultProc(msg, wp, lp);
    }

private:
    static int ButtonOf(UINT msg) {
        if (msg == WM_RBUTTONDOWN || msg == WM_RBUTTONUP) return 1;
        if (msg == WM_MBUTTONDOWN || msg == WM_MBUTTONUP) return 2;
        return 0;
    }

    void EraseBackground(HDC dc) {
        if (label_.Transparent()) {
            EraseWithParentBackground(Handle(), dc);
            return;
        }
        RECT client{};
        GetClientRect(Handle(), &client);
        win32::BrushHandle brush(CreateSolidBrush(label_.Color()));
        FillRect(dc, &client, brush.get());
    }

    void PaintText(HDC dc) {
        RECT client{};
        GetClientRect(Handle(), &client);
        win32::SavedDc saved(dc);
        TDcCanvas canvas(dc);
        canvas.Font() = label_.Font();
        canvas.Prepare();
        SetBkMode(dc, TRANSPARENT);
        if (label_.OnDrawText) {
            TRect rect{client.left, client.top, client.right, client.bottom};
            label_.OnDrawText(label_, canvas, rect, label_.TextFlags());
            return;
        }
        DrawLabelText(dc, label_.Look(), client, label_.TextFlags(), label_.wCaption());
    }

    // The text's own size, as DrawText measures it with the label's flags.
    void Measure() {
        win32::WindowDc screen(Handle());
        TDcCanvas canvas(screen.get());
        canvas.Font() = label_.Font();
        HDC dc = canvas.Prepare();
        const TRect& b = label_.Bounds();
        RECT rect{0, 0, label_.WordWrap() ? b.Width() : 0, 0};
        if (DrawLabelText(dc, label_.Look(), rect, label_.TextFlags() | kDtCalcRect, label_.wCaption()))
            label_.AdoptSize(rect.right - rect.left, rect.bottom - rect.top);
    }

    TCLabel& label_;
};

}  // namespace

bool CreateLabelWindow(TCLabel& label, HWND parent) {
    auto window = std::make_unique<LabelWindow>(label);
    if (!window->Make(parent)) return false;
    label.SetWindow(std::move(window));
    return true;
}

HWND LabelHandle(const TCLabel& label) {
    auto* window = dynamic_cast<LabelWindow*>(label.Window());
    return window ? window->Handle() : nullptr;
}

}  // namespace tessel
