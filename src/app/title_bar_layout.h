#pragma once
// The main window's title bar as geometry and clicks: where its four 16 x 16 images sit, which
// one a point is over, and what a press and a release there ask for. The bar is as wide as the
// window's client area and as high as the skin's top margin; the menu and previous-month images
// sit at its left, the next-month and close images at its right, each centred in its height.
// The sizes are for 96 DPI and are scaled to the window's resolution.
#include <cstdint>

#include "ui/dpi_scale.h"
#include "ui/skin_plan.h"

namespace tessel {

enum TitleButton { kMenuButton, kPreviousButton, kNextButton, kCloseButton, kTitleButtonCount };
inline constexpr int kNoTitleButton = -1;
inline constexpr int32_t kTitleImageSize = 16;

// Each image's hint, and whether the pointer over it is a hand, in TitleButton order.
struct TitleButtonLook {
    const char16_t* Hint;
    bool Hand;
};
inline constexpr TitleButtonLook kTitleButtonLooks[kTitleButtonCount] = {
    {u"Menu", false}, {u"Previous Month", true}, {u"Next Month", true}, {u"Close", true}};

struct TitleBarLayout {
    int32_t Width = 0;   // the window's client width
    int32_t Height = 0;  // the skin's top margin
    int32_t Dpi = 96;    // the window's resolution: the images and their gaps are scaled to it

    // The images' side at Dpi.
    int32_t ImageSize() const;

    TRect ButtonRect(int button) const;
    // The image under (x, y), or kNoTitleButton.
    int ButtonAt(int32_t x, int32_t y) const;
};

enum class TitleAction { kNone, kDrag, kMenu, kPreviousMonth, kNextMonth, kClose };

// An image acts when the left button is pressed and released over it; a press anywhere else on
// the window drags it. The right button opens the menu over the menu image and anywhere on the bar.
class TitleBarClicks {
public:
    TitleAction Press(const TitleBarLayout& bar, int32_t x, int32_t y);
    TitleAction Release(const TitleBarLayout& bar, bool rightButton, int32_t x, int32_t y);

private:
    int pressed_ = kNoTitleButton;
};

}  // namespace tessel
