#pragma once
// The skin of a borderless window: it paints the whole window from the theme's background image
// as a nine-part picture (skin_plan.h), places the window's content control inside the border,
// and, for a resizable window, adds grips on the right and bottom edges and lets the border drag
// the window. This is the part that needs no window: the bands read from the theme description,
// the image copy, and the plan for a window size. Attaching it to a window is ApplySkin
// (win32_skin.h).
#include <cstdint>
#include <memory>
#include <vector>

#include "base/colors.h"
#include "ui/skin_plan.h"
#include "ui/theme.h"

namespace tessel {

class TxdataNode;

// What ApplySkin leaves on a window (the installed window procedure, the grips); removed when
// the skin goes or the window is destroyed.
class ISkinAttachment {
public:
    virtual ~ISkinAttachment() = default;
};

class TSkin {
public:
    TSkin();
    ~TSkin();
    TSkin(const TSkin&) = delete;
    TSkin& operator=(const TSkin&) = delete;

    // The bands from the theme's description, then a copy of its background and title colour.
    void Load(const TTheme& theme);
    // The elements "left", "right", "top" and "bottom" under root: the attributes "len",
    // "margin1" and "margin2" where they are not empty (an empty or missing one keeps its value)
    // and "horz". A missing element gives a band of length 0. A value that is not an integer
    // raises "'<text>' is not a valid integer value"; the bands read before it keep their values.
    void LoadBands(const TxdataNode& root);

    // The resolution the window is shown at: the bands and the image as loaded (drawn for 96 DPI)
    // are scaled to it, and every later Load keeps it. 96 until set.
    void SetDpi(int32_t dpi);
    int32_t Dpi() const { return dpi_; }

    TSkinBand LeftBand;
    TSkinBand RightBand;
    TSkinBand TopBand;
    TSkinBand BottomBand;
    // Set by the owner before ApplySkin: grips on the right and bottom edges, drag by the border.
    bool Resizable = false;

    int32_t LeftLength() const { return LeftBand.Len; }
    int32_t TopLength() const { return TopBand.Len; }
    int32_t RightLength() const { return RightBand.Len; }
    int32_t BottomLength() const { return BottomBand.Len; }
    TSkinBands Bands() const { return {LeftBand, RightBand, TopBand, BottomBand}; }

    // The image the skin paints from (empty when the theme has none) and the colour of the plain
    // background painted instead.
    const TThemeImage& Image() const { return image_; }
    TColor PlainColor() const { return plainColor_; }
    // Grows with every Load, so a window can tell that its cached image is stale.
    uint32_t ImageVersion() const { return imageVersion_; }

    // The painting of a width x height window; empty when there is no image (paint PlainColor).
    std::vector<TSkinBlit> Plan(int32_t width, int32_t height) const;

    // The window's shape at width x height: the rectangles (row runs, equal rows merged) where
    // the painted pixel comes from a part of the image at least half opaque. Empty when every
    // pixel is, so the window keeps its plain rectangle.
    std::vector<TRect> Shape(int32_t width, int32_t height) const;

    void SetAttachment(std::unique_ptr<ISkinAttachment> attachment);

private:
    void Rescale();

    // The bands and the image as the theme gives them, before scaling.
    TSkinBands designBands_;
    TThemeImage designImage_;
    int32_t dpi_ = 96;
    TThemeImage image_;
    TColor plainColor_ = 0;
    uint32_t imageVersion_ = 0;
    std::unique_ptr<ISkinAttachment> attachment_;
};

}  // namespace tessel
