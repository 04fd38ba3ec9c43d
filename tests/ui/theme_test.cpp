#include "ui/theme.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "support/temp_folder.h"
#include "ui/png.h"
#include "xml/xml_parser.h"

namespace tessel {
namespace {

// Text sizes that depend on every font attribute the measuring must set, so a font measured
// with the wrong face, size or style gives a different answer.
class FakeMeasure : public ITextMeasure {
public:
    TCanvasFont& Font() override { return font; }
    TTextSize TextExtent(std::u16string_view text) override {
        measured.push_back(font);
        const int32_t perChar = font.Size + (font.Bold ? 2 : 0) + (font.Italic ? 1 : 0) + int32_t(font.Name.size());
        return {int32_t(text.size()) * perChar, font.Size * 2 + (font.Bold ? 1 : 0)};
    }
    TCanvasFont font;
    std::vector<TCanvasFont> measured;
};

std::string Font(const char* element, const char* size, const char* extra = "") {
    return std::string("<") + element + " size=\"" + size + "\" color=\"#102030\" name=\"" + element + "-face\"" +
           extra + "/>";
}

// Every element with a distinct value, so a font read from the wrong element shows.
std::string FullDescription(const char* daySize = "12", const char* background = "bg.png") {
    return std::string("<theme>") + Font("font-event", "9", " bold=\"1\"") + Font("font-date", "10") +
           Font("font-week", "11", " italic=\"1\"") + Font("font-day", daySize) + Font("font-day2", "30") +
           Font("font-weekno", "7") + Font("font-title", "14") +
           "<font-daynow color=\"FFFFFF\"/><title color=\"#3366CC\"/><background image=\"" + background +
           "\"/></theme>";
}

std::string Fixture(const char* name) {
    return ReadFileBytes(Utf8ToUtf16(std::string(TESSEL_SOURCE_DIR) + "/tests/ui/data/" + name));
}

class ThemeLoad : public ::testing::Test {
protected:
    void SetUp() override {
        theme.ThemeRoot = temp.File(u"theme") + kPathSeparator;
        std::filesystem::create_directories(temp.Path() / "theme" / "default");
    }
    void Write(const std::u16string& name, const std::string& bytes, const std::u16string& folder = u"default") {
        WriteFileAtomic(theme.ThemeRoot + folder + kPathSeparator + name, bytes);
    }
    void WriteDescription(const std::string& xml) { Write(u"profile.xml", xml); }

    testing::TempFolder temp;
    TTheme theme;
};

TEST_F(ThemeLoad, ReadsEveryFontFromItsOwnElement) {
    WriteDescription(FullDescription());
    theme.Load();
    EXPECT_EQ(theme.EventFont.Size, 9);
    EXPECT_EQ(theme.EventFont.Name, "font-event-face");
    EXPECT_TRUE(theme.EventFont.Bold);
    EXPECT_FALSE(theme.EventFont.Italic);
    EXPECT_EQ(theme.DateFont.Size, 10);
    EXPECT_EQ(theme.DateFont.Name, "font-date-face");
    EXPECT_EQ(theme.WeekFont.Size, 11);
    EXPECT_TRUE(theme.WeekFont.Italic);
    EXPECT_EQ(theme.DayFont.Size, 12);
    EXPECT_EQ(theme.WeekNoFont.Size, 7);
    EXPECT_EQ(theme.TitleFont.Size, 14);
    EXPECT_EQ(theme.TitleFont.Name, "font-title-face");
    EXPECT_EQ(theme.DayFont.Color, 0x302010u);  // RR in the low byte
    EXPECT_EQ(theme.TitleColor, 0xCC6633u);
    // Reading leaves the measurements alone.
    EXPECT_EQ(theme.EventFont.TextHeight, 0);
    EXPECT_EQ(theme.EventFont.CharWidth, 0);
}

TEST_F(ThemeLoad, EmptyNameReadsTheDefaultFolder) {
    WriteDescription(FullDescription());
    theme.Load(u"");
    EXPECT_EQ(theme.ThemeFolder, theme.ThemeRoot + u"default" + kPathSeparator);
    EXPECT_EQ(theme.DayFont.Size, 12);
}

TEST_F(ThemeLoad, ChildElementBeatsAttributeAndDollarSizesAreHexadecimal) {
    WriteDescription(
        "<t><font-event size=\"7\"><size>11</size></font-event><font-date size=\"7\"/>"
        "<font-week><size>$0C</size></font-week><font-day size=\"$a\"/><font-day2 size=\"1\"/>"
        "<font-weekno size=\"1\"/><font-title size=\"1\"/></t>");
    theme.Load();
    EXPECT_EQ(theme.EventFont.Size, 11);
    EXPECT_EQ(theme.DateFont.Size, 7);
    EXPECT_EQ(theme.WeekFont.Size, 12);
    EXPECT_EQ(theme.DayFont.Size, 10);
}

TEST_F(ThemeLoad, Day2FontIsOneSizeSmallerItalicButNeverBelowEight) {
    const struct {
        const char* daySize;
        int32_t day2Size;
    } cases[] = {{"12", 11}, {"9", 8}, {"8", 8}, {"5", 8}, {"30", 29}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.daySize);
        WriteDescription(FullDescription(c.daySize));
        theme.Load();
        EXPECT_EQ(theme.Day2Font.Size, c.day2Size);
        EXPECT_TRUE(theme.Day2Font.Italic);
        // Face, colour and bold stay as font-day2 gives them.
        EXPECT_EQ(theme.Day2Font.Name, "font-day2-face");
        EXPECT_EQ(theme.Day2Font.Color, 0x302010u);
        EXPECT_FALSE(theme.Day2Font.Bold);
    }
}

TEST_F(ThemeLoad, DayNowFontIsTheDayFontWithItsOwnColourAndMeasurements) {
    WriteDescription(FullDescription());
    theme.Load();
    FakeMeasure canvas;
    theme.Measure(canvas);
    ASSERT_NE(theme.DayFont.TextHeight, 0);
    // DayNowFont is copied at load time, measurements included, so the second load carries them.
    theme.Load();
    TCalFont expected = theme.DayFont;
    expected.Color = 0xFFFFFF;
    EXPECT_EQ(theme.DayNowFont, expected);
}

TEST_F(ThemeLoad, DayNowNeedsOnlyAColour) {
    WriteDescription(
        "<t><font-event size=\"9\"/><font-date size=\"9\"/><font-week size=\"9\"/>"
        "<font-day size=\"10\" name=\"Arial\" bold=\"1\"/><font-day2 size=\"9\"/><font-weekno size=\"9\"/>"
        "<font-title size=\"9\"/><font-daynow color=\"#00FF00\"/></t>");
    theme.Load();
    EXPECT_EQ(theme.DayNowFont.Name, "Arial");
    EXPECT_EQ(theme.DayNowFont.Size, 10);
    EXPECT_TRUE(theme.DayNowFont.Bold);
    EXPECT_EQ(theme.DayNowFont.Color, 0x00FF00u);
}

TEST_F(ThemeLoad, OnlyTheTextOneTurnsStylesOn) {
    for (const char* value : {"true", "yes", "0", "", "01", " 1"}) {
        SCOPED_TRACE(value);
        std::string xml = FullDescription();
        xml.replace(xml.find(" bold=\"1\""), 9, std::string(" bold=\"") + value + "\"");
        WriteDescription(xml);
        theme.Load();
        EXPECT_FALSE(theme.EventFont.Bold);
    }
}

TEST_F(ThemeLoad, ColourTextsFollowTheColourParser) {
    const struct {
        const char* text;
        TColor color;
    } cases[] = {{"#FF0000", 0x0000FF}, {"FF0000", 0x0000FF}, {"F00", 0xFFFFFF}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        WriteDescription(
            std::string("<t><font-event size=\"9\" color=\"") + c.text +
            "\"/><font-date size=\"9\"/><font-week size=\"9\"/><font-day size=\"9\"/><font-day2 size=\"9\"/>"
            "<font-weekno size=\"9\"/><font-title size=\"9\"/><title color=\"" + c.text + "\"/></t>");
        theme.Load();
        EXPECT_EQ(theme.EventFont.Color, c.color);
        EXPECT_EQ(theme.TitleColor, c.color);
        // Missing colours are white.
        EXPECT_EQ(theme.DateFont.Color, 0xFFFFFFu);
        EXPECT_EQ(theme.DayNowFont.Color, 0xFFFFFFu);
    }
}

TEST_F(ThemeLoad, NonNumericSizeStopsTheLoadWithTheFontsBeforeItReplaced) {
    WriteDescription(FullDescription());
    theme.Load();
    std::string xml = FullDescription("13");
    xml.replace(xml.find("size=\"11\""), 9, "size=\"abc\"");  // font-week, the third font read
    xml.replace(xml.find("size=\"9\""), 8, "size=\"6\"");     // font-event, read before it
    xml.replace(xml.find("#3366CC"), 7, "#000000");
    WriteDescription(xml);
    try {
        theme.Load();
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' is not a valid integer value");
    }
    EXPECT_EQ(theme.EventFont.Size, 6);
    EXPECT_EQ(theme.DayFont.Size, 12);      // not reached
    EXPECT_EQ(theme.Day2Font.Size, 11);     // not derived again
    EXPECT_EQ(theme.TitleColor, 0xCC6633u);  // not read again
}

TEST_F(ThemeLoad, MissingOrEmptySizeIsAConversionError) {
    for (const char* font : {"<font-event/>", "<font-event size=\"\"/>"}) {
        SCOPED_TRACE(font);
        WriteDescription(std::string("<t>") + font + "</t>");
        try {
            theme.Load();
            FAIL() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), "'' is not a valid integer value");
        }
    }
}

TEST_F(ThemeLoad, MissingDescriptionKeepsEverything) {
    WriteDescription(FullDescription());
    theme.Load();
    const TCalFont before = theme.DayFont;
    theme.Load(u"other");  // no such folder
    EXPECT_EQ(theme.ThemeFolder, theme.ThemeRoot + u"other" + kPathSeparator);
    EXPECT_EQ(theme.DayFont, before);
    EXPECT_EQ(theme.TitleColor, 0xCC6633u);
}

TEST_F(ThemeLoad, ReloadReadsTheNewDescriptionNotTheFirstOne) {
    WriteDescription(FullDescription("12"));
    theme.Load();
    WriteDescription(FullDescription("20"));
    theme.Load();
    EXPECT_EQ(theme.DayFont.Size, 20);
    EXPECT_EQ(theme.Doc->FindNode(u"font-day")->GetAttribute(u"size"), u"20");
    // Exactly one copy of each element after two loads.
    EXPECT_EQ(theme.Doc->ChildCount(), 10u);
}

TEST_F(ThemeLoad, DescriptionThatDoesNotParseKeepsThePreviousTree) {
    WriteDescription(FullDescription());
    theme.Load();
    WriteDescription("<t><font-event size=\"3\"></t>");
    EXPECT_THROW(theme.Load(), EError);
    EXPECT_EQ(theme.Doc->FindNode(u"font-event")->GetAttribute(u"size"), u"9");
    EXPECT_EQ(theme.EventFont.Size, 9);
}

TEST_F(ThemeLoad, BackgroundIsTheDecodedImageFlattenedOntoWhite) {
    const std::string png = Fixture("rgba8.png");
    Write(u"bg.png", png);
    WriteDescription(FullDescription());
    theme.Load();
    const PngImage decoded = DecodePng(png);
    ASSERT_FALSE(theme.Background.Empty());
    EXPECT_EQ(theme.Background.Width, decoded.width);
    EXPECT_EQ(theme.Background.Height, decoded.height);
    // Colours flattened onto white; the fourth byte keeps the image's own alpha for the shape.
    std::vector<uint8_t> expected = FlattenOnWhite(decoded);
    for (size_t i = 3; i < expected.size(); i += 4) expected[i] = decoded.rgba[i];
    EXPECT_EQ(theme.Background.Bgra, expected);
    EXPECT_EQ(theme.Background.AlphaAt(1, 0), decoded.rgba[4 + 3]);
    // PixelAt reads the flattened bytes B, G, R as 0x00BBGGRR.
    const auto& b = theme.Background.Bgra;
    const size_t last = b.size() - 4;
    EXPECT_EQ(theme.Background.PixelAt(decoded.width - 1, decoded.height - 1),
              TColor(b[last + 2]) | TColor(b[last + 1]) << 8 | TColor(b[last]) << 16);
}

TEST_F(ThemeLoad, MissingImageAfterAReloadLeavesNoBackground) {
    Write(u"bg.png", Fixture("rgb8.png"));
    WriteDescription(FullDescription());
    theme.Load();
    ASSERT_FALSE(theme.Background.Empty());
    WriteDescription(FullDescription("12", "gone.png"));
    theme.Load();
    EXPECT_TRUE(theme.Background.Empty());
    // An empty image name names the folder itself: no image either, and no error.
    WriteDescription(FullDescription("12", ""));
    theme.Load();
    EXPECT_TRUE(theme.Background.Empty());
}

TEST_F(ThemeLoad, DamagedImageRaisesTheDecoderErrorAndLeavesAnEmptyBackground) {
    Write(u"bg.png", Fixture("rgb8.png"));
    WriteDescription(FullDescription());
    theme.Load();
    std::string damaged = Fixture("rgb8.png");
    damaged.resize(damaged.size() / 2);
    Write(u"bg.png", damaged);
    std::string xml = FullDescription();
    xml.replace(xml.find("#3366CC"), 7, "#010203");
    WriteDescription(xml);
    EXPECT_THROW(theme.Load(), EPngError);
    EXPECT_TRUE(theme.Background.Empty());
    EXPECT_EQ(theme.TitleColor, 0x030201u);  // read before the image
}

// A canvas whose fonts are made at a resolution: heights and widths grow with it.
class ScaledMeasure : public ITextMeasure {
public:
    TCanvasFont& Font() override { return font; }
    TTextSize TextExtent(std::u16string_view text) override {
        ++calls;
        const int32_t pixels = (font.Size * dpi + 36) / 72;
        return {int32_t(text.size()) * pixels * 3 / 4, pixels};
    }
    TCanvasFont font;
    int32_t dpi = 96;
    int calls = 0;
};

// Each resolution is measured once, on a canvas at that resolution, until the theme is loaded
// again; the theme's own fonts stay unmeasured, so no window lays out with another's sizes.
TEST_F(ThemeLoad, FontsAtMeasuresEachResolutionOnceUntilTheNextLoad) {
    WriteDescription(FullDescription("12"));
    theme.Load();
    ScaledMeasure canvas;
    const struct {
        int32_t dpi;
        int32_t dayHeight, eventHeight;
        int callsAfter;  // two measurements per font, six fonts
    } cases[] = {{96, 16, 12, 12}, {144, 24, 18, 24}, {96, 16, 12, 24}, {192, 32, 24, 36}, {144, 24, 18, 36}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dpi);
        canvas.dpi = c.dpi;
        const TThemeFonts fonts = theme.FontsAt(c.dpi, canvas);
        EXPECT_EQ(fonts.Dpi, c.dpi);
        EXPECT_EQ(fonts.DayFont.TextHeight, c.dayHeight);
        EXPECT_EQ(fonts.EventFont.TextHeight, c.eventHeight);
        EXPECT_EQ(fonts.DayFont.CharWidth, c.dayHeight * 3 / 4);
        EXPECT_EQ(fonts.WeekFont.Name, "font-week-face");
        EXPECT_EQ(canvas.calls, c.callsAfter);
    }
    EXPECT_EQ(theme.DayFont.TextHeight, 0);

    WriteDescription(FullDescription("24"));
    theme.Load();
    canvas.dpi = 144;
    EXPECT_EQ(theme.FontsAt(144, canvas).DayFont.TextHeight, 48);
    EXPECT_EQ(canvas.calls, 48);
}

TEST(ThemeMeasure, MeasuresSixFontsInOrderWithTheirFacesAndStyles) {
    TTheme theme;
    const auto font = [](const char* name, int32_t size, bool bold, bool italic) {
        TCalFont f;
        f.Name = name;
        f.Size = size;
        f.Bold = bold;
        f.Italic = italic;
        f.Color = 0x123456;
        return f;
    };
    theme.EventFont = font("event", 9, true, false);
    theme.DateFont = font("date", 10, false, false);
    theme.WeekFont = font("week", 8, false, true);
    theme.DayFont = font("day", 12, true, true);
    theme.WeekNoFont = font("weekno", 7, false, false);
    theme.Day2Font = font("day2", 11, false, true);
    theme.DayNowFont = font("daynow", 20, false, false);
    theme.TitleFont = font("title", 20, false, false);
    FakeMeasure canvas;
    canvas.font.Color = 0xABCDEF;
    canvas.font.Underline = true;
    theme.Measure(canvas);

    std::vector<std::string> order;
    for (size_t i = 0; i < canvas.measured.size(); i += 2) order.push_back(canvas.measured[i].Name);
    EXPECT_EQ(order, (std::vector<std::string>{"event", "date", "week", "day", "weekno", "day2"}));
    // Day font: 12 + 2 (bold) + 1 (italic) + 3 (face length) = 18 per character.
    EXPECT_EQ(theme.DayFont.CharWidth, 18);
    EXPECT_EQ(theme.DayFont.TextHeight, 25);
    EXPECT_EQ(theme.WeekNoFont.CharWidth, 7 + 6);
    EXPECT_EQ(theme.DayNowFont.TextHeight, 0);
    EXPECT_EQ(theme.TitleFont.CharWidth, 0);
    // The canvas keeps the last font's face, size and styles, and its own colour.
    EXPECT_EQ(canvas.font.Name, "day2");
    EXPECT_EQ(canvas.font.Size, 11);
    EXPECT_TRUE(canvas.font.Italic);
    EXPECT_FALSE(canvas.font.Bold);
    EXPECT_FALSE(canvas.font.Underline);
    EXPECT_EQ(canvas.font.Color, 0xABCDEFu);
}

TEST(ThemeMeasure, CharWidthIsTheSevenCharacterWidthRoundedDown) {
    class Fixed : public ITextMeasure {
    public:
        TCanvasFont& Font() override { return font; }
        TTextSize TextExtent(std::u16string_view text) override { return {text == u"HPMWDFG" ? 55 : 999, 13}; }
        TCanvasFont font;
    } canvas;
    TCalFont f;
    TTheme::MeasureFont(canvas, f);
    EXPECT_EQ(f.CharWidth, 7);
    EXPECT_EQ(f.TextHeight, 13);
}

TEST(ThemeApplyFont, CopiesFaceSizeColourAndResetsTheStyles) {
    TCanvasFont target;
    target.Underline = true;
    target.StrikeOut = true;
    target.Bold = true;
    TCalFont font;
    font.Name = "Tahoma";
    font.Size = 9;
    font.Color = 0x00FF00;
    font.Italic = true;
    TTheme::ApplyFont(target, font);
    TCanvasFont expected;
    expected.Name = "Tahoma";
    expected.Size = 9;
    expected.Color = 0x00FF00;
    expected.Italic = true;
    EXPECT_EQ(target, expected);
}

}  // namespace
}  // namespace tessel
