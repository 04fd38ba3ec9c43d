#include "app/profile_loading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/file_io.h"
#include "support/temp_folder.h"
#include "ui/profile.h"

namespace tessel {
namespace {

class ProfileLoadingTest : public ::testing::Test {
protected:
    std::u16string Path() const { return folder.File(u"profile.xml"); }
    void WriteProfile(std::string_view text) const { WriteFileAtomic(Path(), text); }

    testing::TempFolder folder;
};

TEST_F(ProfileLoadingTest, ABadValueIsNamedWithItsPathAndReadAsTheShippedOne) {
    struct Case {
        const char* window;
        const char* update;
        const char* expected;  // the start of the one problem, or "" for none
        int32_t left, visible, interval;  // as read afterwards
    };
    const Case cases[] = {
        {"left=\"5\" top=\"6\" height=\"0\" transparency=\"40\" visible=\"0\"", "interval=\"3\" days=\"9\"", "", 5, 0, 3},
        {"left=\"abc\" top=\"6\" height=\"0\" transparency=\"40\" visible=\"0\"", "interval=\"3\" days=\"9\"",
         "'abc' is not a valid integer value (window/left in \"", 0, 0, 3},
        {"left=\"5\" top=\"6\" height=\"0\" transparency=\"40\" visible=\"yes\"", "interval=\"3\" days=\"9\"",
         "'yes' is not a valid integer value (window/visible in \"", 5, 1, 3},
        {"left=\"5\" top=\"6\" height=\"0\" transparency=\"40\" visible=\"0\"", "interval=\"ten\" days=\"9\"",
         "'ten' is not a valid integer value (update/interval in \"", 5, 0, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expected);
        WriteProfile(std::string("<profile><window ") + c.window + "/><update " + c.update + "/></profile>");
        TProfile profile{folder.Folder()};
        const std::vector<std::string> problems = LoadProfileForStart(profile);
        if (*c.expected == 0) {
            EXPECT_TRUE(problems.empty());
        } else {
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_EQ(problems[0].rfind(c.expected, 0), 0u) << problems[0];
            EXPECT_NE(problems[0].find("profile.xml\")"), std::string::npos) << problems[0];
        }
        // Good values as stored, the bad one as shipped: values after a bad one are not lost.
        EXPECT_EQ(profile.Transparency, 40);
        EXPECT_EQ(profile.UpdateDays, 9);
        EXPECT_EQ(profile.UpdateInterval, c.interval);
        EXPECT_EQ(SettingOrDefault(profile, u"window/left"), c.left);
        EXPECT_EQ(SettingOrDefault(profile, u"window/visible"), c.visible);
    }
}

TEST_F(ProfileLoadingTest, ADamagedOrEmptyFileGivesTheShippedSettings) {
    struct Case {
        std::string text;
        const char* told;
        bool keptOnDisk;  // a damaged file is kept; an empty one holds nothing to keep
    };
    const Case cases[] = {{"<profile><window left=\"1\"></profile>", "profile.xml\" is damaged", true},
                          {"", "profile.xml\" holds no settings", false},
                          {"  \r\n", "profile.xml\" holds no settings", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        WriteProfile(c.text);
        {
            TProfile profile{folder.Folder()};
            profile.Transparency = -1;
            const std::vector<std::string> problems = LoadProfileForStart(profile);
            ASSERT_EQ(problems.size(), 1u);
            EXPECT_NE(problems[0].find(c.told), std::string::npos) << problems[0];
            EXPECT_EQ(SettingOrDefault(profile, u"window/visible"), 1);
            EXPECT_EQ(profile.Doc.ReadValue(u"update/interval"), u"10");
            EXPECT_EQ(profile.Transparency, 80);
        }
        if (c.keptOnDisk)
            EXPECT_EQ(ReadFileBytes(Path()), c.text);
        else
            EXPECT_EQ(ReadFileBytes(Path()), kDefaultProfileText);
    }
}

}  // namespace
}  // namespace tessel
