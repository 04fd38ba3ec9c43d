#include "app/title_bar_layout.h"

namespace tessel {

int32_t TitleBarLayout::ImageSize() const { return ScaleToDpi(kTitleImageSize, Dpi); }

TRect TitleBarLayout::ButtonRect(int button) const {
    const int32_t size = ImageSize();
    const int32_t top = Height > size ? (Height - size) / 2 : 0;
    int32_t left = 0;
    switch (button) {
    case kMenuButton: left = ScaleToDpi(4, Dpi); break;
    case kPreviousButton: left = ScaleToDpi(24, Dpi); break;
    case kNextButton: left = Width - 2 * size - ScaleToDpi(8, Dpi); break;
    case kCloseButton: left = Width - size - ScaleToDpi(4, Dpi); break;
    }
    return TRect{left, top, left + size, top + size};
}

int TitleBarLayout::ButtonAt(int32_t x, int32_t y) const {
    for (int b = 0; b < kTitleButtonCount; ++b)
        if (ButtonRect(b).Contains(x, y)) return b;
    return kNoTitleButton;
}

TitleAction TitleBarClicks::Press(const TitleBarLayout& bar, int32_t x, int32_t y) {
    pressed_ = bar.ButtonAt(x, y);
    return pressed_ == kNoTitleButton ? TitleAction::kDrag : TitleAction::kNone;
}

TitleAction TitleBarClicks::Release(const TitleBarLayout& bar, bool rightButton, int32_t x, int32_t y) {
    const int under = bar.ButtonAt(x, y);
    if (rightButton) return under == kMenuButton || y < bar.Height ? TitleAction::kMenu : TitleAction::kNone;
    const int pressed = pressed_;
    pressed_ = kNoTitleButton;
    if (pressed == kNoTitleButton || pressed != under) return TitleAction::kNone;
    switch (under) {
    case kMenuButton: return TitleAction::kMenu;
    case kPreviousButton: return TitleAction::kPreviousMonth;
    case kNextButton: return TitleAction::kNextMonth;
    case kCloseButton: return TitleAction::kClose;
    }
    return TitleAction::kNone;
}

}  // namespace tessel
