#include "ui/profile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/strict_int.h"
#include "base/text.h"
#include "calendar/service_hosts.h"
#include "support/temp_folder.h"
#include "support/write_blocker.h"

namespace tessel {
namespace {

class ProfileTest : public ::testing::Test {
protected:
    std::u16string Path() const { return folder.File(u"profile.xml"); }
    void WriteProfile(std::string_view text) const { WriteFileAtomic(Path(), text); }
    std::string Stored() const { return ReadFileBytes(Path()); }

    testing::TempFolder folder;
};

TEST(ProfileDefaults, ShippedFileIsTheEmbeddedTextInTheFormASaveWrites) {
    const std::string shipped = ReadFileBytes(Utf8ToUtf16(std::string(TESSEL_SOURCE_DIR) + "/resources/profile.xml"));
    EXPECT_EQ(shipped, kDefaultProfileText);
    TxdataNode doc;
    doc.LoadFromBytes(kDefaultProfileText);
    std::vector<std::string> lines;
    doc.SaveToLines(lines);
    EXPECT_EQ(JoinLines(lines), kDefaultProfileText);
}

// Readers convert every value strictly and writers never create elements, so all must be there.
TEST(ProfileDefaults, DefaultHoldsEverySettingAsADecimalAttribute) {
    const std::vector<std::pair<std::u16string, std::vector<std::u16string>>> settings = {
        {u"window", {u"left", u"top", u"height", u"transparency", u"visible"}},
        {u"update", {u"interval", u"days"}},
        {u"run", {u"startup"}},
        {u"eventwindow", {u"left", u"top", u"height", u"width", u"visible"}},
    };
    TxdataNode doc;
    doc.LoadFromBytes(kDefaultProfileText);
    for (const auto& [element, attributes] : settings) {
        for (const auto& attribute : attributes) {
            const std::u16string path = element + u"/" + attribute;
            int32_t value = 0;
            EXPECT_TRUE(TryStrToInt(Narrow(doc.ReadValue(path)), value)) << Utf16ToUtf8(path);
        }
    }
    const ServiceHosts hosts = ReadServiceHosts(doc);
    EXPECT_EQ(hosts.Service, kDefaultServiceHost);
    EXPECT_EQ(doc.ReadValue(u"hosts/maker"), u"www.tesseldesktop.com");
}

TEST_F(ProfileTest, EnsureWritesTheDefaultOnlyWhenMissingAndLoadReadsIt) {
    EXPECT_TRUE(EnsureProfileFile(folder.Folder()));
    WriteProfile("<p><window left=\"3\"/></p>");
    EXPECT_FALSE(EnsureProfileFile(folder.Folder()));
    EXPECT_EQ(Stored(), "<p><window left=\"3\"/></p>");

    RemoveFile(Path());
    EnsureProfileFile(folder.Folder());
    TProfile profile{folder.Folder()};
    profile.Transparency = profile.UpdateInterval = profile.UpdateDays = -1;
    profile.Load();
    EXPECT_EQ(profile.Transparency, 80);
    EXPECT_EQ(profile.UpdateInterval, 10);
    EXPECT_EQ(profile.UpdateDays, 7);
}

TEST_F(ProfileTest, MissingFileChangesNothing) {
    TProfile profile{folder.Folder()};
    profile.Doc.LoadFromBytes("<kept><window left=\"5\"/></kept>");
    profile.Transparency = 42;
    profile.Load();
    EXPECT_EQ(profile.Transparency, 42);
    EXPECT_EQ(profile.Doc.ReadValue(u"window/left"), u"5");
}

TEST_F(ProfileTest, NonNumericValueRaisesTheConversionErrorAndStopsThere) {
    WriteProfile("<profile><window left=\"0\" top=\"0\" height=\"0\" transparency=\"90\"/>"
                 "<update interval=\"ten\" days=\"9\"/></profile>");
    TProfile profile{folder.Folder()};
    try {
        profile.Load();
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'ten' is not a valid integer value");
    }
    EXPECT_EQ(profile.Transparency, 90);    // converted before the bad value
    EXPECT_EQ(profile.UpdateDays, 7);       // not reached
    EXPECT_EQ(profile.Doc.ReadValue(u"update/days"), u"9");  // the tree itself was loaded

    for (const auto& [text, quoted] : std::vector<std::pair<std::string, std::string>>{
             {"<p><window top=\"0\"/></p>", "''"},  // a missing value is an empty one
             {"<p><window left=\"1\" top=\"2\" height=\"99999999999\"/></p>", "'99999999999'"}}) {
        WriteProfile(text);
        // A first load: a reload keeps what the store held where the file has nothing.
        TProfile fresh{folder.Folder()};
        try {
            fresh.Load();
            ADD_FAILURE() << text;
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), quoted + " is not a valid integer value");
        }
    }
}

TEST_F(ProfileTest, AttributesKeepTheirPlaceOrAppendAndReachTheFileAtDestruction) {
    EnsureProfileFile(folder.Folder());
    {
        TProfile profile{folder.Folder()};
        profile.Load();
        TxdataNode* window = profile.Doc.FindNode(u"window");
        window->SetAttribute(u"top", u"123");
        window->SetAttribute(u"monitor", u"2");
        profile.Doc.FindNode(u"update")->SetAttribute(u"interval", u"45");
    }
    EXPECT_NE(Stored().find("<window left=\"0\" top=\"123\" height=\"0\" transparency=\"80\" visible=\"1\" monitor=\"2\"/>"),
              std::string::npos);
    TProfile reread{folder.Folder()};
    reread.Load();
    EXPECT_EQ(reread.Doc.ReadValue(u"window/top"), u"123");
    EXPECT_EQ(reread.UpdateInterval, 45);
}

TEST_F(ProfileTest, StoreThatNeverLoadedWritesNothing) {
    { TProfile profile{folder.Folder()}; }
    TProfile profile{folder.Folder()};
    profile.Save();
    EXPECT_FALSE(FileExists(Path()));
}

TEST_F(ProfileTest, DamagedFileKeepsTheTreeAndIsNotOverwrittenAtExit) {
    const std::string damaged = "<profile><window left=\"1\"></profile>";
    {
        TProfile profile{folder.Folder()};
        profile.Doc.LoadFromBytes("<profile><window left=\"7\"/></profile>");
        WriteProfile(damaged);
        try {
            profile.Load();
            FAIL() << "no error";
        } catch (const EError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("profile.xml\" is damaged"), std::string::npos) << message;
            EXPECT_NE(message.find("End of element profile, expected: window"), std::string::npos) << message;
        }
        EXPECT_EQ(profile.Doc.ReadValue(u"window/left"), u"7");
        EXPECT_EQ(profile.Doc.ChildCount(), 1u);
    }
    EXPECT_EQ(Stored(), damaged);

    {  // once the user mends the file, a load lifts the guard
        TProfile profile{folder.Folder()};
        EXPECT_THROW(profile.Load(), EError);
        WriteProfile(kDefaultProfileText);
        profile.Load();
        profile.Doc.FindNode(u"run")->SetAttribute(u"startup", u"1");
    }
    EXPECT_NE(Stored().find("<run startup=\"1\"/>"), std::string::npos);
}

TEST_F(ProfileTest, FailedSaveKeepsTheOldFile) {
    EnsureProfileFile(folder.Folder());
    TProfile profile{folder.Folder()};
    profile.Load();
    profile.Doc.FindNode(u"window")->SetAttribute(u"left", u"999");
    {
        testing::WriteBlocker blocker(Path());
        ASSERT_TRUE(blocker.Active());
        EXPECT_THROW(profile.Save(), EFileError);
    }
    EXPECT_EQ(Stored(), kDefaultProfileText);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);
}

}  // namespace
}  // namespace tessel
