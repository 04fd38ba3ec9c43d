#include "dialogs/win32_message_panel.h"

#include "base/text.h"
#include "ui/dpi_scale.h"
#include "win32/win32_handles.h"
#include "win32/win32_text.h"

namespace tessel {

bool TMessagePanel::Make(HWND parent, int id, int dpi, RECT place, int border, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    place_ = place;
    border_ = border;
    const wchar_t* cls = RegisterClassOnce(L"TesselDialogMsgPanel", 0);
    return Create(0, cls, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_BORDER, Scaled(place.left), Scaled(place.top),
                  Scaled(place.right), Scaled(place.bottom), parent, reinterpret_cast<HMENU>(INT_PTR(id)));
}

void TMessagePanel::Rescale(int dpi, HFONT font) {
    dpi_ = dpi;
    font_ = font;
    if (Handle()) Show(text_, IsWindowVisible(Handle()) != FALSE);
}

void TMessagePanel::Show(const std::u16string& text, bool visible) {
    text_ = WithCrLf(text);
    SetWindowTextW(Handle(), win32::W(text_));
    int height = Scaled(place_.bottom);
    {
        win32::WindowDc dc(Handle());
        win32::SelectGuard font(dc.get(), Font());
        RECT r{0, 0, LabelWidth(), 0};
        DrawTextW(dc.get(), win32::W(text_), int(text_.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        height = r.bottom + Scaled(20) + 2;  // the label, its margins and the border
    }
    SetWindowPos(Handle(), HWND_TOP, Scaled(place_.left), Scaled(place_.top), Scaled(place_.right), height,
                 (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
    if (visible) UpdateWindow(Handle());
}

LRESULT TMessagePanel::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg != WM_PAINT) return DefaultProc(msg, wp, lp);
    win32::PaintDc paint(Handle());
    RECT r;
    GetClientRect(Handle(), &r);
    FillRect(paint.get(), &r, GetSysColorBrush(COLOR_BTNFACE));
    win32::SelectGuard font(paint.get(), Font());
    SetBkMode(paint.get(), TRANSPARENT);
    SetTextColor(paint.get(), GetSysColor(COLOR_BTNTEXT));
    RECT text{Scaled(border_), Scaled(10), Scaled(border_) + LabelWidth(), r.bottom};
    DrawTextW(paint.get(), win32::W(text_), int(text_.size()), &text, DT_WORDBREAK | DT_NOPREFIX);
    return 0;
}

int TMessagePanel::Scaled(int length) const { return ScaleToDpi(length, dpi_); }

int TMessagePanel::LabelWidth() const { return Scaled(place_.right - 2 * border_) - 2; }

}  // namespace tessel
