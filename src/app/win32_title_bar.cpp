#include "app/win32_title_bar.h"

#include "ui/dpi_scale.h"
#include "ui/skin.h"
#include "ui/theme.h"
#include "ui/win32_drawing.h"
#include "ui/win32_label.h"
#include "ui/win32_skin.h"
#include "win32/win32_handles.h"

namespace tessel {

namespace {

RECT ToRect(const TRect& r) { return RECT{r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

TTitleBar::TTitleBar(const TTheme& theme, const TSkin& skin) : theme_(theme), skin_(skin) {}

void TTitleBar::Create(HWND window) {
    window_ = window;
    monthTitle_.SetTransparent(true);
    monthTitle_.SetAutoSize(true);
    {
        TCanvasFont font;
        TTheme::ApplyFont(font, theme_.DateFont);
        monthTitle_.SetFont(font);
    }
    monthTitle_.OnMouseDown = [this](TCLabel&, int button, int32_t, int32_t) {
        if (button == 0) DragWindow();
    };
    monthTitle_.OnMouseUp = [this](TCLabel&, int button, int32_t, int32_t) {
        if (button == 1) Act(TitleAction::kMenu);
    };
    CreateLabelWindow(monthTitle_, window);
    hints_.Create(window);
    Resized();
}

void TTitleBar::Resized() {
    if (!window_) return;
    const TitleBarLayout bar = Layout();
    for (int b = 0; b < kTitleButtonCount; ++b) hints_.SetTool(UINT(b + 1), ToRect(bar.ButtonRect(b)), kTitleButtonLooks[b].Hint);
}

void TTitleBar::Refont() {
    if (!window_) return;
    TCanvasFont font;
    TTheme::ApplyFont(font, theme_.DateFont);
    monthTitle_.SetFont(font);
    Resized();
}

bool TTitleBar::SetCursorAt(int x, int y) const {
    const int button = Layout().ButtonAt(x, y);
    if (button == kNoTitleButton || !kTitleButtonLooks[button].Hand) return false;
    SetCursor(LoadCursorW(nullptr, IDC_HAND));
    return true;
}

TitleBarLayout TTitleBar::Layout() const {
    RECT client;
    GetClientRect(window_, &client);
    return TitleBarLayout{client.right, skin_.TopLength(), skin_.Dpi()};
}

void TTitleBar::SetTitle(const std::u16string& title) {
    monthTitle_.SetwCaption(title);
    const TRect& b = monthTitle_.Bounds();
    monthTitle_.SetPosition((Layout().Width - b.Width()) / 2, (skin_.TopLength() - b.Height()) / 2);
}

void TTitleBar::Paint(HDC dc) const {
    // The four 16 x 16 images (at 96 DPI), drawn as glyphs in the title font's colour with the
    // same dark shadow the texts have, so they read on any theme.
    const TitleBarLayout bar = Layout();
    const auto s = [&](int length) { return ScaleToDpi(length, bar.Dpi); };
    DrawShadowGlyph(dc, theme_.DateFont.Color, [&](int shift) {
        for (int b = 0; b < kTitleButtonCount; ++b) {
            const RECT r = ToRect(bar.ButtonRect(b).Moved(shift, shift));
            const int cx = (r.left + r.right) / 2, cy = (r.top + r.bottom) / 2;
            switch (b) {
            case kMenuButton:
                for (int dy : {-s(4), 0, s(4)}) {
                    MoveToEx(dc, r.left + s(3), cy + dy, nullptr);
                    LineTo(dc, r.right - s(3), cy + dy);
                }
                break;
            case kPreviousButton: {
                const POINT tri[3] = {{cx + s(3), cy - s(5)}, {cx + s(3), cy + s(5)}, {cx - s(3), cy}};
                Polygon(dc, tri, 3);
                break;
            }
            case kNextButton: {
                const POINT tri[3] = {{cx - s(3), cy - s(5)}, {cx - s(3), cy + s(5)}, {cx + s(3), cy}};
                Polygon(dc, tri, 3);
                break;
            }
            case kCloseButton: DrawCloseCross(dc, cx, cy, bar.Dpi); break;
            }
        }
    }, bar.Dpi);
}

void TTitleBar::MouseDown(int x, int y) { Act(clicks_.Press(Layout(), x, y)); }

void TTitleBar::MouseUp(bool rightButton, int x, int y) { Act(clicks_.Release(Layout(), rightButton, x, y)); }

void TTitleBar::Act(TitleAction action) {
    const auto call = [](const std::function<void()>& handler) {
        if (handler) handler();
    };
    switch (action) {
    case TitleAction::kNone: break;
    case TitleAction::kDrag: DragWindow(); break;
    case TitleAction::kMenu: call(OnMenu); break;
    case TitleAction::kPreviousMonth: call(OnPreviousMonth); break;
    case TitleAction::kNextMonth: call(OnNextMonth); break;
    case TitleAction::kClose: call(OnClose); break;
    }
}

void TTitleBar::DragWindow() const {
    ReleaseCapture();
    SendMessageW(window_, WM_SYSCOMMAND, kScMoveByCaption, 0);
}

}  // namespace tessel
