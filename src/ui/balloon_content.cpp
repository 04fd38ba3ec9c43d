#include "ui/balloon_content.h"

#include <algorithm>

#include "ui/balloon_params.h"
#include "ui/balloon_text.h"
#include "ui/dpi_scale.h"

namespace tessel {

TCanvasFont BalloonFont(bool bold) {
    TCanvasFont font;
    font.Name = "Tahoma";
    font.Size = 8;
    font.Color = 0;
    font.Bold = bold;
    return font;
}

namespace {

// The text label: its left and top stay, its width follows the width it is wrapped at.
class TextLabel {
public:
    TextLabel(const TWrappedText& text, int32_t left, int32_t top, int32_t margin)
        : text_(text), left_(left), top_(top), margin_(margin) {}

    // Wraps at width; the label takes the size of the wrapped text.
    void Reflow(int32_t width) { size_ = text_.SizeAt(std::max(width, 1)); }
    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return size_.Width; }
    int32_t Height() const { return size_.Height; }
    int32_t PanelWidth() const { return left_ + size_.Width + margin_; }
    int32_t PanelHeight() const { return top_ + size_.Height + margin_; }

private:
    const TWrappedText& text_;
    int32_t left_, top_, margin_;
    TTextSize size_;
};

}  // namespace

TBalloonContent BuildContent(ITextMeasure& measure, std::string_view paramText, std::u16string_view title,
                             std::u16string_view text, int32_t dpi) {
    const auto params = ParseBalloonParams(paramText);
    TBalloonContent c;
    const auto scaled = [dpi](int32_t length) { return ScaleToDpi(length, dpi); };
    const int32_t margin = scaled(kBalloonMargin), gap = scaled(8), step = scaled(10), scrollBar = scaled(20);

    const auto icon = params.find("IconeResName");
    if (icon != params.end() && !icon->second.empty()) {
        c.IconName = icon->second;
        const int32_t size = scaled(kBalloonIconSize);
        c.Icon = {margin, margin, margin + size, margin + size};
    }
    const bool hasIcon = !c.IconName.empty();

    const auto titleEntry = params.find("Title");
    c.HasTitle = titleEntry != params.end() && !titleEntry->second.empty();
    if (c.HasTitle) {
        measure.Font() = BalloonFont(true);
        const TTextSize size = TWrappedText(measure, title).SizeAt(0);
        const int32_t left = hasIcon ? c.Icon.Right + gap : margin;
        c.Title = {left, scaled(12), left + size.Width, scaled(12) + size.Height};
    }

    int32_t textTop = margin;
    if (c.HasTitle && hasIcon)
        textTop = std::max(c.Title.Bottom, c.Icon.Bottom) + gap;
    else if (c.HasTitle)
        textTop = c.Title.Bottom + gap;
    else if (hasIcon)
        textTop = c.Icon.Bottom + gap;

    measure.Font() = BalloonFont(false);
    const TWrappedText wrapped(measure, text);
    c.LineHeight = wrapped.LineHeight();
    TextLabel label(wrapped, margin, textTop, margin);

    const int32_t bestWidth = scaled(BalloonParamInteger(params, "MainPanelBestWidth"));
    label.Reflow(bestWidth - 2 * margin);
    int32_t panelWidth = label.PanelWidth();
    int32_t panelHeight = label.PanelHeight();
    auto reflow = [&](int32_t width) {
        label.Reflow(width);
        panelWidth = label.PanelWidth();
        panelHeight = label.PanelHeight();
    };

    const int32_t maxW = BalloonParamInteger(params, "MainPanelMaxWidth");
    const int32_t maxH = BalloonParamInteger(params, "MainPanelMaxHeight");

    // Too tall: as wide as the room allows, then narrower in steps of 10 while it still fits
    // the height, never narrower than the best width. A step that does not make the text
    // narrower ends the search (the lines cannot wrap any further).
    if (panelHeight > maxH) {
        reflow(maxW - label.Left() - margin);
        int32_t last = label.Width();
        while (panelHeight < maxH) {
            last = label.Width();
            if (label.Width() <= bestWidth) break;
            reflow(label.Width() - step);
            if (label.Width() >= last) break;
        }
        if (panelHeight > maxH) reflow(last);
    }
    // Too wide: narrower in steps of 10 while it stays within the height.
    while (panelWidth > maxW && panelHeight < maxH) {
        const int32_t before = label.Width();
        reflow(before - step);
        if (label.Width() >= before) break;
    }
    // A title wider than the text widens the panel; the text wraps at the title's width.
    if (c.HasTitle && c.Title.Right + margin > panelWidth) {
        panelWidth = c.Title.Right + margin;
        label.Reflow(c.Title.Right - label.Left());
        panelHeight = label.PanelHeight();
    }

    int32_t textHeight = label.Height();
    int32_t wrapWidth = label.Width();
    if (panelWidth > maxW || panelHeight > maxH) {
        // Still too large: a scroll box fills the panel, 20 pixels wider for its scroll bar.
        c.Scrolls = true;
        panelWidth += scrollBar;
        if (panelWidth > maxW) {
            panelWidth = maxW;
            label.Reflow(label.Width() - scrollBar);
            wrapWidth = label.Width();
        }
        if (panelHeight > maxH) panelHeight = maxH;
        textHeight = label.Height();
        if (panelHeight < label.Top() + label.Height() + margin) textHeight += margin;
    }

    c.Text = {label.Left(), label.Top(), label.Left() + label.Width(), label.Top() + textHeight};
    c.TextLines = wrapped.LinesAt(std::max(wrapWidth, 1));
    c.PanelWidth = panelWidth;
    c.PanelHeight = panelHeight;
    if (c.Scrolls) {
        c.ScrollWidth = std::max({c.Text.Right, c.HasTitle ? c.Title.Right : 0, hasIcon ? c.Icon.Right : 0});
        c.ScrollHeight = c.Text.Bottom;
    }
    return c;
}

}  // namespace tessel
