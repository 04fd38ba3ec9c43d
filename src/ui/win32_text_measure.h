#pragma once
// The GDI canvas: a device context with a current font kept in step with Font(). The font
// object is made when it is next used after Font() changed and is selected into the DC until
// the canvas goes, when the DC gets its previous font back.
#include <windows.h>

#include "ui/text_measure.h"
#include "win32/win32_handles.h"

namespace tessel {

// A GDI font for a canvas font: the point size at dpi, or, when dpi is 0, at the resolution of
// the DC's window (win32::DcDpi; a memory DC has none, so windows that paint off screen say theirs).
win32::FontHandle CreateCanvasFont(HDC dc, const TCanvasFont& font, int dpi = 0);

class TDcCanvas final : public ICanvas {
public:
    // dpi: the resolution the fonts are made for; 0 takes the DC's (see CreateCanvasFont).
    explicit TDcCanvas(HDC dc, int dpi = 0);
    ~TDcCanvas() override;
    TDcCanvas(const TDcCanvas&) = delete;
    TDcCanvas& operator=(const TDcCanvas&) = delete;

    TCanvasFont& Font() override { return font_; }
    TTextSize TextExtent(std::u16string_view text) override;
    void DrawTextAt(int32_t x, int32_t y, std::u16string_view text) override;

    // Selects the current font and its colour into the DC, for GDI calls made directly on Dc().
    HDC Prepare();
    HDC Dc() const { return dc_; }

private:
    void SelectCurrentFont();

    HDC dc_;
    int dpi_;
    TCanvasFont font_;
    TCanvasFont selected_;
    win32::FontHandle gdiFont_;
    HGDIOBJ original_ = nullptr;
};

}  // namespace tessel
