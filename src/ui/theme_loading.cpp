#include "ui/theme_loading.h"

#include <algorithm>
#include <array>
#include <optional>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "ui/png.h"
#include "ui/theme.h"
#include "xml/xdata_node.h"

namespace tessel {

const std::string_view kBuiltInThemeText =
    "<theme>"
    "<font-date size=\"9\" color=\"#FFFFFF\" name=\"Tahoma\" bold=\"1\" italic=\"0\"/>"
    "<font-event size=\"8\" color=\"#FFFFFF\" name=\"Tahoma\" bold=\"0\" italic=\"0\"/>"
    "<font-week size=\"7\" color=\"#A9C8F0\" name=\"Tahoma\" bold=\"0\" italic=\"0\"/>"
    "<font-day size=\"10\" color=\"#F4F7FB\" name=\"Tahoma\" bold=\"1\" italic=\"0\"/>"
    "<font-day2 size=\"9\" color=\"#8A9BB0\" name=\"Tahoma\" bold=\"0\" italic=\"1\"/>"
    "<font-weekno size=\"7\" color=\"#7D8EA5\" name=\"Tahoma\" bold=\"0\" italic=\"0\"/>"
    "<font-daynow color=\"#FFFFFF\"/>"
    "<font-title size=\"10\" color=\"#FFFFFF\" name=\"Tahoma\" bold=\"1\" italic=\"0\"/>"
    "<title color=\"#3B78C2\"/>"
    "<left len=\"5\" margin1=\"0\" margin2=\"0\" horz=\"0\"/>"
    "<right len=\"6\" margin1=\"0\" margin2=\"0\" horz=\"0\"/>"
    "<top len=\"26\" margin1=\"12\" margin2=\"12\" horz=\"1\"/>"
    "<bottom len=\"8\" margin1=\"12\" margin2=\"12\" horz=\"1\"/>"
    "</theme>";

namespace {

// The fonts whose sizes are read from the description (font-day2's is derived from font-day's).
constexpr std::array<std::u16string_view, 6> kReadFonts = {u"font-event", u"font-date",   u"font-week",
                                                           u"font-day",   u"font-weekno", u"font-title"};
constexpr std::array<std::u16string_view, 4> kBands = {u"left", u"right", u"top", u"bottom"};
constexpr std::array<std::u16string_view, 3> kBandValues = {u"len", u"margin1", u"margin2"};

struct BadNumber {
    std::string Path;
    std::string Text;
};

// The first value Load would fail to convert, with its path; sizes are required, band values
// only when present.
std::optional<BadNumber> FirstBadNumber(const TxdataNode& doc) {
    int32_t value = 0;
    for (const auto font : {u"font-event", u"font-date", u"font-week", u"font-day", u"font-day2", u"font-weekno",
                            u"font-title"}) {
        const std::u16string path = std::u16string(font) + u"/size";
        const std::u16string text = doc.ReadValue(path);
        if (!TryStrToInt(Narrow(text), value)) return BadNumber{Utf16ToUtf8(path), Utf16ToUtf8(text)};
    }
    for (const auto band : kBands) {
        const TxdataNode* node = doc.FindNode(band);
        if (!node) continue;
        for (const auto name : kBandValues) {
            const std::u16string text = node->GetAttribute(name);
            if (!text.empty() && !TryStrToInt(Narrow(text), value))
                return BadNumber{Utf16ToUtf8(band) + "/" + Utf16ToUtf8(name), Utf16ToUtf8(text)};
        }
    }
    return std::nullopt;
}

void UseBuiltIn(TTheme& theme) {
    // The built-in description names no image, so none is looked for.
    theme.LoadText(Widen(std::string(kBuiltInThemeText)));
}

constexpr char kPlainly[] = "the calendar is drawn plainly, without the theme's image";

std::string Quoted(const std::u16string& path) {
    std::string text = "\"";
    text += Utf16ToUtf8(path);
    return text += '"';
}

std::string RangeText(ThemeRange range) { return std::to_string(range.Min) + " to " + std::to_string(range.Max); }

// Clamps value into range and notes it under path.
bool Clamp(int32_t& value, ThemeRange range, const std::string& path, std::vector<std::string>& notes) {
    const int32_t clamped = std::clamp(value, range.Min, range.Max);
    if (clamped == value) return false;
    notes.push_back(path + " " + std::to_string(value) + " -> " + std::to_string(clamped) + " (" +
                    RangeText(range) + ")");
    value = clamped;
    return true;
}

}  // namespace

std::vector<std::string> LoadThemeForStart(TTheme& theme) {
    const std::u16string folder = theme.ThemeRoot + kDefaultThemeName + kPathSeparator;
    const std::u16string description = folder + kThemeDescription;
    std::vector<std::string> problems;
    theme.ThemeFolder = folder;
    if (!FileExists(description)) {
        problems.push_back("The theme folder " + Quoted(folder) + " or its profile.xml was not found; " + kPlainly +
                           ".");
        UseBuiltIn(theme);
        return problems;
    }

    // Checked aside first, so that a bad value is reported with where it stands and the theme is
    // not left half read.
    try {
        TxdataNode doc;
        doc.LoadFromText(Widen(ReadTextAsCrLf(description, kMaxSettingsFileBytes)));
        if (doc.Name().empty()) throw EError("it holds no element");
        if (const auto bad = FirstBadNumber(doc)) {
            problems.push_back("'" + bad->Text + "' is not a valid integer value (" + bad->Path + " in " +
                               Quoted(description) + "); " + kPlainly + ".");
            UseBuiltIn(theme);
            return problems;
        }
    } catch (const std::exception& e) {
        problems.push_back("The theme description " + Quoted(description) + " is damaged and was not used (" +
                           e.what() + "); " + kPlainly + ".");
        UseBuiltIn(theme);
        return problems;
    }

    try {
        theme.Load();
    } catch (const EPngError& e) {
        // Everything but the image was read; the skin paints a plain background.
        problems.push_back("The theme image " + Quoted(folder + theme.Doc->ReadValue(u"background/image")) +
                           " could not be read (" + e.what() + "); the calendar is drawn without it.");
    } catch (const std::exception& e) {
        problems.push_back("The theme " + Quoted(description) + " could not be loaded (" + e.what() + "); " +
                           kPlainly + ".");
        UseBuiltIn(theme);
        return problems;
    }

    const std::vector<std::string> clamped = ClampThemeValues(theme);
    if (!clamped.empty()) {
        std::string text = "Values of the theme " + Quoted(description) + " outside their ranges were brought into them: ";
        for (size_t i = 0; i < clamped.size(); ++i) text += (i ? "; " : "") + clamped[i];
        problems.push_back(text + ".");
    }
    return problems;
}

std::string ThemeFilesStamp(const TTheme& theme) {
    const std::u16string image = theme.Doc ? theme.Doc->ReadValue(u"background/image") : std::u16string();
    return "description " + FileStamp(theme.ThemeFolder + kThemeDescription) + ", image " +
           (image.empty() ? std::string() : FileStamp(theme.ThemeFolder + image));
}

std::vector<std::string> ClampThemeValues(TTheme& theme) {
    std::vector<std::string> notes;
    TCalFont* fonts[] = {&theme.EventFont, &theme.DateFont, &theme.WeekFont,
                         &theme.DayFont,   &theme.WeekNoFont, &theme.TitleFont};
    for (size_t i = 0; i < kReadFonts.size(); ++i)
        Clamp(fonts[i]->Size, kFontSizeRange, Utf16ToUtf8(kReadFonts[i]) + "/size", notes);
    // The derived fonts follow the day font as Load derives them, without notes of their own.
    theme.Day2Font.Size = std::max(theme.DayFont.Size - 1, int32_t(8));
    theme.DayNowFont.Size = theme.DayFont.Size;

    // The skins read the bands from the description's attributes, so the values are put right there.
    for (const auto band : kBands) {
        TxdataNode* node = theme.Doc ? theme.Doc->FindNode(band) : nullptr;
        if (!node) continue;
        for (const auto name : kBandValues) {
            int32_t value = 0;
            if (!TryStrToInt(Narrow(node->GetAttribute(name)), value)) continue;
            const ThemeRange range = name == u"len" ? kBandLengthRange : kBandMarginRange;
            if (Clamp(value, range, Utf16ToUtf8(band) + "/" + Utf16ToUtf8(name), notes))
                node->SetAttribute(name, Widen(std::to_string(value)));
        }
    }
    return notes;
}

}  // namespace tessel
