#include "ui/label.h"

#include <utility>

#include "base/text_helpers.h"

namespace tessel {

TCLabel::TCLabel() = default;

TCLabel::~TCLabel() {
    // The window calls back into the label while it is destroyed: it goes while the label is whole.
    window_.reset();
}

void TCLabel::SetwCaption(std::u16string_view caption) {
    wCaption_ = caption;
    caption_ = WideToAnsi(caption);
    Changed();
}

void TCLabel::SetFont(const TCanvasFont& font) {
    font_ = font;
    Changed();
}

void TCLabel::SetEnabled(bool enabled) {
    enabled_ = enabled;
    Changed();
}

void TCLabel::SetShowAccelChar(bool show) {
    showAccelChar_ = show;
    Changed();
}

void TCLabel::SetTransparent(bool transparent) {
    transparent_ = transparent;
    Changed();
}

void TCLabel::SetColor(TColor color) {
    color_ = color;
    Changed();
}

void TCLabel::SetAutoSize(bool autoSize) {
    autoSize_ = autoSize;
    Changed();
}

void TCLabel::SetWordWrap(bool wordWrap) {
    wordWrap_ = wordWrap;
    Changed();
}

void TCLabel::SetAlignment(TLabelAlignment alignment) {
    alignment_ = alignment;
    Changed();
}

void TCLabel::SetVisible(bool visible) {
    visible_ = visible;
    Changed();
}

void TCLabel::SetBounds(const TRect& bounds) {
    bounds_ = bounds;
    Changed();
}

void TCLabel::SetPosition(int32_t left, int32_t top) {
    SetBounds(bounds_.Moved(left - bounds_.Left, top - bounds_.Top));
}

uint32_t TCLabel::TextFlags() const {
    uint32_t flags = kDtExpandTabs;
    if (alignment_ == TLabelAlignment::Center) flags |= kDtCenter;
    if (alignment_ == TLabelAlignment::Right) flags |= kDtRight;
    if (wordWrap_) flags |= kDtWordBreak;
    return flags;
}

TLabelLook TCLabel::Look() const {
    TLabelLook look;
    look.Enabled = enabled_;
    look.ShowAccelChar = showAccelChar_;
    look.FontColor = font_.Color;
    return look;
}

void TCLabel::SetWindow(std::unique_ptr<ILabelWindow> window) {
    window_ = std::move(window);
    Changed();
}

void TCLabel::AdoptSize(int32_t width, int32_t height) {
    bounds_.Right = bounds_.Left + width;
    bounds_.Bottom = bounds_.Top + height;
}

void TCLabel::Changed() {
    if (window_) window_->LabelChanged();
}

}  // namespace tessel
