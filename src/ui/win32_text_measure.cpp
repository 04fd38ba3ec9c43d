#include "ui/win32_text_measure.h"

#include <algorithm>
#include <string>

#include "base/text.h"
#include "ui/dpi_scale.h"
#include "win32/win32_dpi.h"
#include "win32/win32_text.h"

namespace tessel {

win32::FontHandle CreateCanvasFont(HDC dc, const TCanvasFont& font, int dpi) {
    LOGFONTW lf{};
    // A negative height asks for the character height (the point size), not the cell height.
    lf.lfHeight = -FontPixelHeight(font.Size, dpi > 0 ? dpi : win32::DcDpi(dc));
    lf.lfWeight = font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.Italic;
    lf.lfUnderline = font.Underline;
    lf.lfStrikeOut = font.StrikeOut;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    const std::u16string face = Widen(font.Name);
    const size_t length = std::min(face.size(), size_t(LF_FACESIZE - 1));
    std::copy_n(face.begin(), length, lf.lfFaceName);
    return win32::FontHandle(CreateFontIndirectW(&lf));
}

TDcCanvas::TDcCanvas(HDC dc, int dpi) : dc_(dc), dpi_(dpi) {}

TDcCanvas::~TDcCanvas() {
    // Deselect before gdiFont_ is deleted.
    if (original_) SelectObject(dc_, original_);
}

void TDcCanvas::SelectCurrentFont() {
    const bool sameObject = gdiFont_ && selected_.Name == font_.Name && selected_.Size == font_.Size &&
                            selected_.Bold == font_.Bold && selected_.Italic == font_.Italic &&
                            selected_.Underline == font_.Underline && selected_.StrikeOut == font_.StrikeOut;
    if (sameObject) return;
    win32::FontHandle next = CreateCanvasFont(dc_, font_, dpi_);
    if (!next) return;
    HGDIOBJ previous = SelectObject(dc_, next.get());
    if (!original_) original_ = previous;
    gdiFont_ = std::move(next);  // the old object is no longer selected, so it may go
    selected_ = font_;
}

HDC TDcCanvas::Prepare() {
    SelectCurrentFont();
    SetTextColor(dc_, font_.Color);
    return dc_;
}

TTextSize TDcCanvas::TextExtent(std::u16string_view text) {
    SelectCurrentFont();
    const std::u16string copy(text);
    SIZE size{};
    GetTextExtentPoint32W(dc_, win32::W(copy), int(copy.size()), &size);
    return {size.cx, size.cy};
}

void TDcCanvas::DrawTextAt(int32_t x, int32_t y, std::u16string_view text) {
    Prepare();
    const std::u16string copy(text);
    const int oldMode = SetBkMode(dc_, TRANSPARENT);
    TextOutW(dc_, x, y, win32::W(copy), int(copy.size()));
    SetBkMode(dc_, oldMode);
}

}  // namespace tessel
