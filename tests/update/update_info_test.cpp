#include "update/update_info.h"

#include <gtest/gtest.h>

namespace tessel::update {
namespace {

std::vector<std::string> Urls(const std::string& info) {
    std::vector<std::string> urls;
    for (const auto& item : ParseUpdateInfo(info).Files) urls.push_back(item.Url);
    return urls;
}

TEST(UpdateInfoKeys, FoundAnywhereInAnyCaseUpToTheFirstControlCharacter) {
    const std::string info = "junk#DATE=11/20/2009\r\nxx #Version=2.1 beta\t# tail\n#method=2x\n#SetupParams=/S /x=1\n";
    const UpdateInfo parsed = ParseUpdateInfo(info);
    EXPECT_EQ(parsed.Date, "11/20/2009");
    EXPECT_EQ(parsed.Version, "2.1 beta");
    EXPECT_EQ(parsed.SetupParams, "/S /x=1");
    EXPECT_TRUE(parsed.Files.empty());
    EXPECT_EQ(parsed.Method, TUpgradeMethod::umRedirectToURL);
    EXPECT_TRUE(ParseUpdateInfo("#url=\n").Files.empty());  // an empty value is no value
    // the first occurrence of a repeated key wins
    EXPECT_EQ(ParseUpdateInfo("#date=1/1/2010\n#DATE=2/2/2011").Date, "1/1/2010");
}

TEST(UpdateInfoKeys, MethodDigit) {
    const struct {
        const char* info;
        TUpgradeMethod method;
    } cases[] = {{"#method=1", TUpgradeMethod::umUseExternalSetup},
                 {"#method=2", TUpgradeMethod::umRedirectToURL},
                 {"#method=0", TUpgradeMethod::umSelfUpgrade},
                 {"#method=9", TUpgradeMethod::umSelfUpgrade},
                 {"", TUpgradeMethod::umSelfUpgrade}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.info);
        EXPECT_EQ(ParseUpdateInfo(c.info).Method, c.method);
    }
}

TEST(UpdateInfoKeys, MessageRunsAcrossLinesToTheBrace) {
    EXPECT_EQ(ParseUpdateInfo("#Message={Two\r\nlines}#date=1/1/2010").Message, "Two\r\nlines");
    EXPECT_EQ(ParseUpdateInfo("#message={no end\r\n").Message, "no end\r\n");
    EXPECT_EQ(ParseUpdateInfo("#message=plain").Message, "");
}

TEST(UpdateInfoDownloadList, FollowsTheNumberingRule) {
    const struct {
        const char* info;
        std::vector<std::string> urls;
    } cases[] = {
        {"#url=http://h/a\n#url0=http://h/b\n#url3=http://h/d\n#url4=http://h/e",
         {"http://h/a", "http://h/b", "http://h/d", "http://h/e"}},
        {"#url1=http://h/1\n#url2=http://h/2\n", {"http://h/1", "http://h/2"}},
        {"#url=http://h/a\n#url1=http://h/1\n", {"http://h/a"}},  // after url the next number tried is 2
        {"#url=http://h/a\n#url1=http://h/1\n#url2=http://h/2\n", {"http://h/a", "http://h/2"}},
        {"#url2=http://h/2\n", {}},
        {"#URL0=http://h/z\n", {"http://h/z"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.info);
        EXPECT_EQ(Urls(c.info), c.urls);
    }
}

TEST(UpdateInfoDownloadList, DigestsFollowTheirAddressKey) {
    const std::string good(64, 'A');
    const auto list = ParseUpdateInfo("#url=http://h/a\n#url1=x\n#url2=http://h/b\n#sha2562=" + good +
                                      "\n#sha256=zz\n")
                          .Files;
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Sha256, "invalid:zz");  // never matches a real digest
    EXPECT_EQ(list[1].Sha256, std::string(64, 'a'));
}

TEST(UpdateInfoDownloadList, AFileOverItsLimitsIsRefusedWholeNotCut) {
    auto addresses = [](int count) {
        std::string text = "#date=11/20/2009\n";
        for (int i = 1; i <= count; ++i) text += "#url" + std::to_string(i) + "=http://h/" + std::to_string(i) + "\n";
        return text;
    };
    const std::string atLimit = "#url=http://h/a\n" + std::string(kMaxInfoFileSize - 16, ' ');
    const struct {
        const char* what;
        std::string file;
        size_t files;
        const char* problem;
    } cases[] = {
        {"100 addresses", addresses(100), 100, ""},
        {"101 addresses", addresses(101), 0, "the file lists more than 100 addresses"},
        {"500 addresses", addresses(500), 0, "the file lists more than 100 addresses"},
        {"256 KB", atLimit, 1, ""},
        {"one byte more", atLimit + " ", 0, "the file is larger than 262144 bytes"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const UpdateInfo info = ParseUpdateInfo(c.file);
        EXPECT_EQ(info.Files.size(), c.files);
        EXPECT_EQ(info.Problem, c.problem);
        EXPECT_EQ(IsNewerRelease(info, kVersionDate, 40000), c.files > 0 && info.Date == "11/20/2009");
    }
}

TEST(UpdateInfoDates, TextsThatDoNotConvertCountAsToday) {
    const TDateTime today = EncodeDate(2026, 12, 8);
    const struct {
        const char* text;
        TDateTime value;
    } cases[] = {{"10/05/2009", EncodeDate(2009, 10, 5)}, {" 1/ 2/2010", EncodeDate(2010, 1, 2)},
                 {"2/30/2010", today},                    {"10-05-2009", today},
                 {"", today},                             {"1/2/2010/5", today},
                 {"13/1/2010", today},                    {"a/b/c", today}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(VersionDateValue(c.text, today), c.value);
    }
}

TEST(UpdateInfoDates, NewerNeedsALaterDateAndAnAddress) {
    const TDateTime today = EncodeDateTime(2026, 12, 8, 15, 30);
    const struct {
        const char* info;
        bool newer;
    } cases[] = {
        {"#date=10/05/2009\n#url=http://h/a\n", false},  // the same date as this build
        {"#date=10/06/2009\n#url=http://h/a\n", true},
        {"#date=10/06/2009\n", false},  // later, but nothing to fetch
        {"#url=http://h/a\n", true},    // no date counts as today
        {"#date=10/04/2009\n#url=http://h/a\n", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.info);
        EXPECT_EQ(IsNewerRelease(ParseUpdateInfo(c.info), "10/05/2009", today), c.newer);
    }
    // a build dated today is not older than a file without a date, whatever the hour
    EXPECT_FALSE(IsNewerRelease(ParseUpdateInfo("#url=http://h/a"), "12/08/2026", today));
}

}  // namespace
}  // namespace tessel::update
