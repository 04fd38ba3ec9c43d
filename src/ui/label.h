#pragma once
// TCLabel: the title label of the borderless windows. It carries a UTF-16 caption (the 8-bit
// caption follows it through the system code page), a theme font, and an optional OnDrawText
// handler that takes over the text drawing entirely; without one the label draws its caption with
// the shadow rules of DrawLabelText. Its window lives in the Windows build (win32_label.h); this
// half holds the state and is what the windows' code reads and sets.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "ui/drawing.h"
#include "ui/skin_plan.h"
#include "ui/text_measure.h"

namespace tessel {

class TCLabel;

// Sender, its drawing surface (carrying the label's font), the text rectangle, the DrawText flags.
using TOnDrawText = std::function<void(TCLabel& sender, ICanvas& canvas, TRect& rect, uint32_t flags)>;
// Button (0 left, 1 right, 2 middle) and the position in the label.
using TLabelMouseEvent = std::function<void(TCLabel& sender, int button, int32_t x, int32_t y)>;

enum class TLabelAlignment { Left, Right, Center };

// What the window behind a label does when the label changes.
class ILabelWindow {
public:
    virtual ~ILabelWindow() = default;
    virtual void LabelChanged() = 0;
};

class TCLabel {
public:
    TCLabel();
    ~TCLabel();
    TCLabel(const TCLabel&) = delete;
    TCLabel& operator=(const TCLabel&) = delete;

    const std::u16string& wCaption() const { return wCaption_; }
    void SetwCaption(std::u16string_view caption);
    // The caption in the system code page.
    const std::string& Caption() const { return caption_; }

    const TCanvasFont& Font() const { return font_; }
    void SetFont(const TCanvasFont& font);

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool show);
    // A transparent label shows its parent's background behind the text; otherwise Color.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    // An auto-sized label takes the size of its text after every change.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    TLabelAlignment Alignment() const { return alignment_; }
    void SetAlignment(TLabelAlignment alignment);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);

    // Position in the parent's client area and size.
    const TRect& Bounds() const { return bounds_; }
    void SetBounds(const TRect& bounds);
    void SetPosition(int32_t left, int32_t top);

    TOnDrawText OnDrawText;
    TLabelMouseEvent OnMouseDown;
    TLabelMouseEvent OnMouseUp;

    // The DrawText flags of the label's text: expanded tabs, its alignment, word breaks when it wraps.
    uint32_t TextFlags() const;
    TLabelLook Look() const;

    // Set by the window that shows the label.
    void SetWindow(std::unique_ptr<ILabelWindow> window);
    ILabelWindow* Window() const { return window_.get(); }
    // The label repaints (and re-sizes when it is auto-sized).
    void Changed();
    // For the window: the size it measured for an auto-sized label, kept without a notification.
    void AdoptSize(int32_t width, int32_t height);

private:
    std::u16string wCaption_;
    std::string caption_;
    TCanvasFont font_;
    bool enabled_ = true;
    bool showAccelChar_ = true;
    bool transparent_ = false;
    TColor color_ = 0xFFFFFF;
    bool autoSize_ = true;
    bool wordWrap_ = false;
    TLabelAlignment alignment_ = TLabelAlignment::Left;
    bool visible_ = true;
    TRect bounds_{0, 0, 65, 17};
    std::unique_ptr<ILabelWindow> window_;
};

}  // namespace tessel
