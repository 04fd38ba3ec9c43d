#include "ui/theme_loading.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "base/file_io.h"
#include "base/text.h"
#include "support/temp_folder.h"
#include "ui/skin.h"
#include "ui/theme.h"

namespace tessel {
namespace {

std::string Fixture(const char* name) {
    return ReadFileBytes(Utf8ToUtf16(std::string(TESSEL_SOURCE_DIR) + "/tests/ui/data/" + name));
}

// The built-in look with a few values of the test's and an image.
std::string Description(const std::string& daySize = "12", const std::string& leftLen = "5",
                        const std::string& topMargin = "12") {
    std::string xml(kBuiltInThemeText);
    xml.replace(xml.find("size=\"10\""), 9, "size=\"" + daySize + "\"");  // font-day
    xml.replace(xml.find("<left len=\"5\""), 13, "<left len=\"" + leftLen + "\"");
    xml.replace(xml.find("<top len=\"26\" margin1=\"12\""), 26, "<top len=\"26\" margin1=\"" + topMargin + "\"");
    xml.replace(xml.find("<title color=\"#3B78C2\"/>"), 24, "<title color=\"#102030\"/><background image=\"bg.png\"/>");
    return xml;
}

class ThemeLoadingTest : public ::testing::Test {
protected:
    void SetUp() override {
        theme.ThemeRoot = temp.File(u"theme") + kPathSeparator;
        std::filesystem::create_directories(temp.Path() / "theme" / "default");
        Write(u"bg.png", Fixture("rgb8.png"));
    }
    void Write(const std::u16string& name, const std::string& bytes) {
        WriteFileAtomic(theme.ThemeRoot + u"default" + kPathSeparator + name, bytes);
    }
    // The built-in look: its fonts and bands, the title colour #3B78C2, no image.
    void ExpectBuiltIn() {
        EXPECT_EQ(theme.DayFont.Size, 10);
        EXPECT_EQ(theme.DayFont.Name, "Tahoma");
        EXPECT_EQ(theme.TitleColor, 0xC2783Bu);
        EXPECT_TRUE(theme.Background.Empty());
        TSkin skin;
        skin.Load(theme);
        EXPECT_EQ(skin.TopLength(), 26);
        EXPECT_EQ(skin.LeftLength(), 5);
    }

    testing::TempFolder temp;
    TTheme theme;
};

TEST_F(ThemeLoadingTest, AGoodThemeLoadsWithoutAWord) {
    Write(u"profile.xml", Description());
    EXPECT_TRUE(LoadThemeForStart(theme).empty());
    EXPECT_EQ(theme.DayFont.Size, 12);
    EXPECT_EQ(theme.TitleColor, 0x302010u);
    EXPECT_FALSE(theme.Background.Empty());
}

TEST_F(ThemeLoadingTest, AnUnusableDescriptionGivesTheBuiltInLookAndOneProblemNamingIt) {
    struct Case {
        const char* what;
        std::string description;  // empty: no description file at all
        std::string expected;     // a part of the one problem
    };
    const Case cases[] = {
        {"missing folder", "", "theme" + Utf16ToUtf8(std::u16string(1, kPathSeparator)) + "default"},
        {"garbage", "\x01\x02 not xml <<", "profile.xml\" is damaged and was not used"},
        {"empty", " ", "profile.xml\" is damaged and was not used (it holds no element)"},
        {"a size that is no number", Description("abc"), "'abc' is not a valid integer value (font-day/size in \""},
        {"a band that is no number", Description("12", "wide"), "'wide' is not a valid integer value (left/len in \""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(temp.Path() / "theme" / "default" / "profile.xml");
        if (!c.description.empty()) Write(u"profile.xml", c.description);
        const std::vector<std::string> problems = LoadThemeForStart(theme);
        ASSERT_EQ(problems.size(), 1u);
        EXPECT_NE(problems[0].find(c.expected), std::string::npos) << problems[0];
        EXPECT_NE(problems[0].find("drawn plainly"), std::string::npos) << problems[0];
        ExpectBuiltIn();
    }
}

TEST_F(ThemeLoadingTest, ADamagedImageKeepsTheFontsAndLeavesOnlyTheImageOut) {
    std::string png = Fixture("rgb8.png");
    png.resize(png.size() / 2);
    Write(u"bg.png", png);
    Write(u"profile.xml", Description("14"));
    const std::vector<std::string> problems = LoadThemeForStart(theme);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_NE(problems[0].find("bg.png\" could not be read"), std::string::npos) << problems[0];
    EXPECT_EQ(theme.DayFont.Size, 14);
    EXPECT_EQ(theme.TitleColor, 0x302010u);
    EXPECT_TRUE(theme.Background.Empty());
}

// A reload of unchanged files keeps the stamp, so their problems are not told again; any change
// to the description or the image it names gives another.
TEST_F(ThemeLoadingTest, TheFilesStampChangesWithEitherFileAndOnlyThen) {
    std::string png = Fixture("rgb8.png");
    png.resize(png.size() / 2);
    const struct {
        const char* what;
        std::function<void()> change;
    } changes[] = {
        {"the image rewritten", [&] { Write(u"bg.png", png); }},
        {"the image removed", [&] { std::filesystem::remove(temp.Path() / "theme" / "default" / "bg.png"); }},
        {"the description rewritten", [&] { Write(u"profile.xml", Description("9")); }},
        {"the description removed", [&] { std::filesystem::remove(temp.Path() / "theme" / "default" / "profile.xml"); }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.what);
        Write(u"bg.png", Fixture("rgb8.png"));
        Write(u"profile.xml", Description());
        LoadThemeForStart(theme);
        const std::string before = ThemeFilesStamp(theme);
        LoadThemeForStart(theme);
        EXPECT_EQ(ThemeFilesStamp(theme), before);
        c.change();
        LoadThemeForStart(theme);
        EXPECT_NE(ThemeFilesStamp(theme), before);
    }
}

TEST_F(ThemeLoadingTest, ValuesOutsideTheirRangesAreClampedWithOneMessage) {
    Write(u"profile.xml", Description("5000", "-100000", "99999"));
    const std::vector<std::string> problems = LoadThemeForStart(theme);
    ASSERT_EQ(problems.size(), 1u);
    for (const char* note : {"font-day/size 5000 -> 36 (6 to 36)", "left/len -100000 -> 0 (0 to 100)",
                             "top/margin1 99999 -> 1000 (0 to 1000)"})
        EXPECT_NE(problems[0].find(note), std::string::npos) << problems[0];
    EXPECT_EQ(theme.DayFont.Size, 36);
    EXPECT_EQ(theme.Day2Font.Size, 35);
    EXPECT_EQ(theme.DayNowFont.Size, 36);
    TSkin skin;
    skin.Load(theme);
    EXPECT_EQ(skin.LeftLength(), 0);
    EXPECT_EQ(skin.TopBand.Margin1, 1000);
    EXPECT_FALSE(theme.Background.Empty());  // the rest of the theme as it was

    // The edges of the ranges are kept as they are.
    Write(u"profile.xml", Description("6", "100", "0"));
    EXPECT_TRUE(LoadThemeForStart(theme).empty());
    EXPECT_EQ(theme.DayFont.Size, 6);
    EXPECT_EQ(theme.Day2Font.Size, 8);
}

}  // namespace
}  // namespace tessel
