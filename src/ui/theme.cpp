#include "ui/theme.h"

#include <initializer_list>
#include <utility>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "ui/png.h"

namespace tessel {

namespace {

constexpr int32_t kSmallestDay2Size = 8;

}  // namespace

TColor TThemeImage::PixelAt(int32_t x, int32_t y) const {
    const size_t at = (size_t(y) * size_t(Width) + size_t(x)) * 4;
    return TColor(Bgra[at + 2]) | TColor(Bgra[at + 1]) << 8 | TColor(Bgra[at]) << 16;
}

TTheme::TTheme() : Doc(std::make_unique<TxdataNode>()) {}

void TTheme::Load(std::u16string_view name) {
    const std::u16string themeName = name.empty() ? std::u16string(kDefaultThemeName) : std::u16string(name);
    ThemeFolder = ThemeRoot + themeName + kPathSeparator;
    const std::u16string description = ThemeFolder + kThemeDescription;
    if (!FileExists(description)) return;
    LoadText(Widen(ReadTextAsCrLf(description, kMaxSettingsFileBytes)), description);
}

void TTheme::LoadText(std::u16string_view text, std::u16string_view source) {
    measured_.clear();
    // A fresh tree each time: loading into the old one would append a second copy of every
    // element, and the path lookups would go on finding the first, stale one. A description
    // that does not parse leaves the previous tree in place.
    auto doc = std::make_unique<TxdataNode>();
    try {
        doc->LoadFromText(text);
    } catch (const EError& e) {
        if (source.empty()) throw;
        throw EError("The theme description \"" + Utf16ToUtf8(source) + "\" is damaged: " + e.what());
    }
    Doc = std::move(doc);

    ReadFont(u"font-event", EventFont);
    ReadFont(u"font-date", DateFont);
    ReadFont(u"font-week", WeekFont);
    ReadFont(u"font-day", DayFont);
    ReadFont(u"font-day2", Day2Font);
    ReadFont(u"font-weekno", WeekNoFont);
    ReadFont(u"font-title", TitleFont);

    Day2Font.Size = DayFont.Size - 1 < kSmallestDay2Size ? kSmallestDay2Size : DayFont.Size - 1;
    Day2Font.Italic = true;

    DayNowFont = DayFont;
    DayNowFont.Color = ParseColor(Narrow(Doc->ReadValue(u"font-daynow/color")));

    const std::string titleColor = Narrow(Doc->ReadValue(u"title/color"));
    Background = TThemeImage();
    TitleColor = ParseColor(titleColor);

    LoadBackground();
}

void TTheme::ReadFont(std::u16string_view element, TCalFont& font) {
    const std::u16string prefix = std::u16string(element) + u"/";
    font.Size = StrToInt(Doc->ReadValue(prefix + u"size"));
    font.Color = ParseColor(Narrow(Doc->ReadValue(prefix + u"color")));
    font.Name = Narrow(Doc->ReadValue(prefix + u"name"));
    font.Bold = Doc->ReadValue(prefix + u"bold") == u"1";
    font.Italic = Doc->ReadValue(prefix + u"italic") == u"1";
}

void TTheme::LoadBackground() {
    const std::u16string image = Doc->ReadValue(u"background/image");
    // An empty name would make the path the theme folder itself: no image, like a missing file.
    if (image.empty()) return;
    const std::u16string path = ThemeFolder + image;
    if (!FileExists(path)) return;
    // Far above any background a window is skinned from.
    constexpr uint64_t kMaxImageFileBytes = uint64_t(64) << 20;
    const std::string bytes = ReadFileBytes(path, kMaxImageFileBytes);
    PngImage decoded;
    try {
        decoded = DecodePng(bytes);
    } catch (const EPngError& e) {
        throw EPngError("The theme image \"" + Utf16ToUtf8(path) + "\" is damaged: " + e.what());
    }
    TThemeImage flat;
    flat.Bgra = FlattenOnWhite(decoded);
    for (size_t i = 3; i < flat.Bgra.size(); i += 4) flat.Bgra[i] = decoded.rgba[i];
    flat.Width = decoded.width;
    flat.Height = decoded.height;
    Background = std::move(flat);
}

void TTheme::MeasureFont(ITextMeasure& canvas, TCalFont& font) {
    TCanvasFont& target = canvas.Font();
    target.Name = font.Name;
    target.Size = font.Size;
    target.Bold = font.Bold;
    target.Italic = font.Italic;
    target.Underline = false;
    target.StrikeOut = false;
    font.TextHeight = canvas.TextHeight(u"HPM");
    font.CharWidth = canvas.TextWidth(u"HPMWDFG") / 7;
}

void TTheme::Measure(ITextMeasure& canvas) {
    MeasureFont(canvas, EventFont);
    MeasureFont(canvas, DateFont);
    MeasureFont(canvas, WeekFont);
    MeasureFont(canvas, DayFont);
    MeasureFont(canvas, WeekNoFont);
    MeasureFont(canvas, Day2Font);
}

TThemeFonts TTheme::FontsAt(int32_t dpi, ITextMeasure& canvas) {
    for (const TThemeFonts& fonts : measured_)
        if (fonts.Dpi == dpi) return fonts;
    TThemeFonts fonts{dpi, DateFont, EventFont, WeekFont, DayFont, Day2Font, WeekNoFont};
    for (TCalFont* font : {&fonts.EventFont, &fonts.DateFont, &fonts.WeekFont, &fonts.DayFont, &fonts.WeekNoFont,
                           &fonts.Day2Font})
        MeasureFont(canvas, *font);
    measured_.push_back(fonts);
    return fonts;
}

void TTheme::ApplyFont(TCanvasFont& target, const TCalFont& font) {
    target.Name = font.Name;
    target.Size = font.Size;
    target.Color = font.Color;
    target.Bold = font.Bold;
    target.Italic = font.Italic;
    target.Underline = false;
    target.StrikeOut = false;
}

}  // namespace tessel
