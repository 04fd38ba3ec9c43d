#include "update/upgrader_texts.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "base/text.h"
#include "update/transfer_figures.h"

namespace tessel::update {
namespace {

// Language identifiers and the table each must reach; all 25 tables appear.
const struct {
    uint16_t id;
    const char16_t* language;
} kLanguageCases[] = {
    {0x0409, u"en"},    {0x0809, u"en"},    {0x0407, u"de"},    {0x0C07, u"de"},    {0x040C, u"fr"},
    {0x0C0A, u"es"},    {0x0410, u"it"},    {0x0413, u"nl"},    {0x0416, u"pt-BR"}, {0x0816, u"pt-PT"},
    {0x0804, u"zh-CN"}, {0x1004, u"zh-CN"}, {0x0404, u"zh-TW"}, {0x0C04, u"zh-TW"}, {0x1404, u"zh-TW"},
    {0x0419, u"ru"},    {0x0422, u"uk"},    {0x0415, u"pl"},    {0x0405, u"cs"},    {0x041B, u"sk"},
    {0x040E, u"hu"},    {0x0418, u"ro"},    {0x041D, u"sv"},    {0x081D, u"sv"},    {0x0406, u"da"},
    {0x0414, u"no"},    {0x0814, u"no"},    {0x040B, u"fi"},    {0x041F, u"tr"},    {0x0408, u"el"},
    {0x0411, u"ja"},    {0x0412, u"ko"},    {0x0401, u"en"},    {0x0000, u"en"},    {0xFFFF, u"en"}};

TEST(UpgraderTexts, LanguageByPrimaryAndForTwoAlsoBySubLanguage) {
    std::set<std::u16string> tables;
    for (const auto& c : kLanguageCases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(std::u16string(TextsForLanguage(c.id).Language), c.language);
        tables.insert(TextsForLanguage(c.id).Language);
    }
    EXPECT_EQ(tables.size(), 25u);
}

// Each translation must take the same arguments as the English pattern, keep its line breaks and
// give its buttons a mnemonic.
TEST(UpgraderTexts, TranslationsKeepTheConversionsAndLayout) {
    auto conversions = [](std::u16string_view pattern) {
        std::u16string found;
        for (size_t i = 0; i + 1 < pattern.size(); ++i)
            if (pattern[i] == u'%') {
                size_t j = i + 1;
                while (j < pattern.size() && (pattern[j] == u'.' || (pattern[j] >= u'0' && pattern[j] <= u'9'))) ++j;
                found += pattern.substr(i, j - i + 1);
                found += u' ';
                i = j;
            }
        return found;
    };
    auto count = [](std::u16string_view text, char16_t c) { return std::count(text.begin(), text.end(), c); };
    const UpgraderTexts& en = TextsForLanguage(0x0409);
    const auto texts = {&UpgraderTexts::Caption,      &UpgraderTexts::AskUpgrade,   &UpgraderTexts::ConnLost,
                        &UpgraderTexts::HostUnreachable, &UpgraderTexts::NoInfoFile, &UpgraderTexts::LostFile,
                        &UpgraderTexts::NoUpdateAvailable, &UpgraderTexts::ErrorTitle, &UpgraderTexts::Downloading,
                        &UpgraderTexts::FileSize,     &UpgraderTexts::TransferRate, &UpgraderTexts::TimeLeft};
    for (const auto& c : kLanguageCases) {
        const UpgraderTexts& t = TextsForLanguage(c.id);
        SCOPED_TRACE(c.id);
        for (auto field : texts) {
            SCOPED_TRACE(Utf16ToUtf8(t.*field));
            EXPECT_EQ(conversions(t.*field), conversions(en.*field));
            EXPECT_EQ(count(t.*field, u'\r'), count(en.*field, u'\r'));
            EXPECT_EQ(count(t.*field, u'\n'), count(en.*field, u'\n'));
        }
        for (auto button : {t.Yes, t.Later, t.Abort}) EXPECT_EQ(count(button, u'&'), 1);
    }
}

TEST(UpgraderTexts, FormattingFillsTheEnglishPatterns) {
    const UpgraderTexts& en = TextsForLanguage(0x0409);
    EXPECT_EQ(AskUpgradeText(en, u"Tessel Desktop", u"Fixes"),
              u"A newer version of Tessel Desktop was released.\nFixes\nDo you want to update your version with "
              u"the latest one?");
    EXPECT_EQ(FormatText(en.LostFile, {std::u16string(u"a.dll")}),
              u"File a.dll not found or inaccessible.\r\rTry to skip this file and continue upgrade?");
    EXPECT_EQ(FormatText(en.Downloading, {2LL, 3LL}), u"Downloading 2 of 3");
    EXPECT_EQ(FormatText(en.FileSize, {1.3}), u"File size: 1.3 Kb");
    EXPECT_EQ(FormatText(en.TimeLeft, {1LL, 2LL, 3LL}), u"Estimated time left: 1:02:03");
    EXPECT_EQ(FileErrorCaption(en, 12007), u"Error #12007");
    // a message that itself holds "%s" is not read as a pattern; missing or wrong arguments print nothing
    EXPECT_EQ(FormatText(u"[%s]", {std::u16string(u"%s%d")}), u"[%s%d]");
    EXPECT_EQ(FormatText(u"%d|%s|%.1f|100%%|%", {std::u16string(u"x")}), u"|||100%|%");
}

TEST(TransferFiguresTest, SizeRateAndTimeLeft) {
    const struct {
        int64_t total, received;
        uint32_t ms;
        double sizeKb, rate;
        int h, m, s, percent;
    } cases[] = {
        {102400, 51200, 2000, 100.0, 25.0, 0, 0, 2, 50},
        {-1, 4096, 1000, 0.0, 4.0, 0, 0, 0, 0},          // size unknown: no time left
        {10240, 0, 0, 10.0, 0.0, 0, 0, 0, 0},            // nothing yet
        {1024LL * 1024 * 1024, 1024, 1000, 1048576.0, 1.0, 99, 59, 59, 0},  // capped
        {3600 * 1024 + 1024, 1024, 1000, 3601.0, 1.0, 1, 0, 0, 0},
        {1000, 2000, 1000, 1000 / 1024.0, 2000 / 1024.0, 0, 0, 0, 100},  // more than announced
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.total);
        const TransferFigures f = ComputeTransferFigures(c.total, c.received, c.ms);
        EXPECT_DOUBLE_EQ(f.SizeKb, c.sizeKb);
        EXPECT_DOUBLE_EQ(f.RateKbPerSec, c.rate);
        EXPECT_EQ(f.Hours, c.h);
        EXPECT_EQ(f.Minutes, c.m);
        EXPECT_EQ(f.Seconds, c.s);
        EXPECT_EQ(f.Percent, c.percent);
    }
}

}  // namespace
}  // namespace tessel::update
