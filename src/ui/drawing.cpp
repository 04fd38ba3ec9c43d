#include "ui/drawing.h"

namespace tessel {

namespace {

bool wideDrawing = false;

}  // namespace

bool WideDrawing() { return wideDrawing; }
void SetWideDrawing(bool available) { wideDrawing = available; }

TShift ShadowTextShift(int32_t boxWidth, int32_t boxHeight, int32_t textWidth, int32_t textHeight, int align) {
    if (align == kShadowCentred) return {(boxWidth - textWidth) / 2, (boxHeight - textHeight) / 2};
    if (align == kShadowIndented) return {2, 0};
    return {};
}

std::u16string LabelTextToDraw(std::u16string_view text, uint32_t flags, const TLabelLook& look) {
    std::u16string t(text);
    if (((flags & kDtCalcRect) && t.empty()) || (look.ShowAccelChar && t == u"&")) t += u' ';
    return t;
}

uint32_t LabelDrawFlags(uint32_t flags, const TLabelLook& look) {
    if (!look.ShowAccelChar) flags |= kDtNoPrefix;
    if (look.RightToLeft) {
        // Left alignment is the absence of both bits, so mirroring sets DT_RIGHT or clears it.
        if (flags & kDtRight)
            flags &= ~kDtRight;
        else if (!(flags & kDtCenter))
            flags |= kDtRight;
        flags |= kDtRtlReading;
    }
    return flags;
}

bool LabelNeedsShadow(const TLabelLook& look) { return look.Enabled && IsLightColor(look.FontColor); }

}  // namespace tessel
