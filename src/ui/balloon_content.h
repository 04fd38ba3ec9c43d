#pragma once
// The layout of a balloon's content panel: an optional icon, an optional bold title and the
// word-wrapped text, sized to the preferred width and then fitted into the largest size the
// screen allows: first narrower or wider, then, when it still does not fit, in a scroll box.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ui/skin_plan.h"
#include "ui/text_measure.h"

namespace tessel {

inline constexpr int32_t kBalloonMargin = 10;
inline constexpr int32_t kBalloonIconSize = 16;
inline constexpr TColor kBalloonColor = 0xE1FFFF;
// The balloon's font: Tahoma, 8 points, black; the title's is bold.
TCanvasFont BalloonFont(bool bold = false);

struct TBalloonContent {
    std::string IconName;  // empty: no icon
    TRect Icon;
    bool HasTitle = false;
    TRect Title;
    TRect Text;
    std::vector<std::u16string> TextLines;
    int32_t LineHeight = 0;
    int32_t PanelWidth = 0;
    int32_t PanelHeight = 0;
    // The content does not fit the largest size: it scrolls inside the panel, over this extent.
    bool Scrolls = false;
    int32_t ScrollWidth = 0;
    int32_t ScrollHeight = 0;
};

// Lays out the content from the parameter text (icon name, title presence, best, maximum width
// and height) with the title and text themselves. Raises the conversion error for a size that is
// not a number. The margins, the icon, the steps and the best width are 96-DPI lengths scaled to
// dpi; the maximum width and height are pixels of the screen, as the measure's text sizes are.
TBalloonContent BuildContent(ITextMeasure& measure, std::string_view params, std::u16string_view title,
                             std::u16string_view text, int32_t dpi = 96);

}  // namespace tessel
