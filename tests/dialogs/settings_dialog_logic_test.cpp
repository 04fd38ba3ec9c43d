#include "dialogs/settings_dialog_logic.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "support/temp_folder.h"
#include "support/write_blocker.h"
#include "ui/profile.h"

namespace tessel {
namespace {

TEST(SettingsDialogFields, SpinFieldsClampAndTextThatIsNoNumberCountsAsTheMinimum) {
    struct Case {
        const char16_t* text;
        int32_t interval;
        int32_t days;
    };
    const Case cases[] = {
        {u"3", 5, 7}, {u"900", 500, 100}, {u"5", 5, 7}, {u"500", 500, 100}, {u"45", 45, 45},
        {u"", 5, 7},  {u"1a", 5, 7},      {u"-20", 5, 7}, {u" 60", 60, 60},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.text));
        EXPECT_EQ(kIntervalRange.ValueOf(c.text), c.interval);
        EXPECT_EQ(kEventDaysRange.ValueOf(c.text), c.days);
    }
}

TEST(SettingsDialogFields, PercentLabelIsTwoWideAndVersionHasFourNumbers) {
    EXPECT_EQ(PercentText(5), u" 5%");
    EXPECT_EQ(PercentText(7), u" 7%");
    EXPECT_EQ(PercentText(0), u" 0%");
    EXPECT_EQ(PercentText(42), u"42%");
    EXPECT_EQ(PercentText(100), u"100%");
    EXPECT_EQ(VersionText(true, 0x00010002, 0x00030004), u"Version :1.2.3.4");
    EXPECT_EQ(VersionText(true, 0xFFFF0000, 0x0000FFFF), u"Version :65535.0.0.65535");
    EXPECT_EQ(VersionText(false, 0x00010002, 0x00030004), u"Version :");
    EXPECT_EQ(CentredLeft(460, 75), 192);
    EXPECT_EQ(CentredLeft(461, 75), 193);
    EXPECT_EQ(HomePageLink("maker.example:8080"), "http://maker.example:8080/?id=tessel");
}

class RecordingStartup : public IStartupEntry {
public:
    void Write(const std::u16string& programPath) override { calls.push_back(u"write " + programPath); }
    void Remove() override { calls.push_back(u"remove"); }
    std::vector<std::u16string> calls;
};

class SettingsDialogStore : public ::testing::Test {
protected:
    void Load(std::string_view text) {
        WriteFileAtomic(profile.FilePath(), text);
        try {
            profile.Load();
        } catch (const EConvertError&) {
            // A file without some element: the main window reports this; the dialog goes on.
        }
    }
    std::string Stored() const { return ReadFileBytes(profile.FilePath()); }

    testing::TempFolder folder;
    TProfile profile{folder.Folder()};
    RecordingStartup startup;
};

constexpr char kFull[] =
    "<profile>\r\n"
    "        <window left=\"0\" top=\"0\" height=\"0\" transparency=\"55\" visible=\"1\"/>\r\n"
    "        <update interval=\"3\" days=\"900\"/>\r\n"
    "        <run startup=\"1\"/>\r\n"
    "        <eventwindow left=\"0\" top=\"0\" height=\"0\" width=\"0\" visible=\"1\"/>\r\n"
    "</profile>\r\n";

TEST_F(SettingsDialogStore, FieldsShowTheFileClampedAndOnlyTheExactOneTicksStartup) {
    Load(kFull);
    EXPECT_EQ(ReadSettingValues(profile), (TSettingValues{true, 55, 5, 100}));
    for (const char* startup : {"0", " 1", "01", "true", ""}) {
        SCOPED_TRACE(startup);
        std::string text = kFull;
        text.replace(text.find("startup=\"1\""), 11, std::string("startup=\"") + startup + "\"");
        Load(text);
        EXPECT_FALSE(ReadSettingValues(profile).Startup);
    }
}

TEST_F(SettingsDialogStore, SaveWritesTheTreeAndTheStartupEntryAndTheStoreFollowsTheFile) {
    Load(kFull);
    SaveSettings(profile, TSettingValues{false, 100, 45, 14}, startup, u"C:\\T\\tessel.exe");
    EXPECT_EQ(startup.calls, std::vector<std::u16string>{u"remove"});
    EXPECT_EQ(Stored(),
              "<profile>\r\n"
              "        <window left=\"0\" top=\"0\" height=\"0\" transparency=\"100\" visible=\"1\"/>\r\n"
              "        <update interval=\"45\" days=\"14\"/>\r\n"
              "        <run startup=\"0\"/>\r\n"
              "        <eventwindow left=\"0\" top=\"0\" height=\"0\" width=\"0\" visible=\"1\"/>\r\n"
              "        <hosts service=\"www.google.com\" accounts=\"www.google.com\" maker=\"www.tesseldesktop.com\"/>\r\n"
              "</profile>\r\n");
    EXPECT_EQ(profile.Transparency, 100);
    EXPECT_EQ(profile.UpdateInterval, 45);
    EXPECT_EQ(profile.UpdateDays, 14);

    SaveSettings(profile, TSettingValues{true, 0, 500, 7}, startup, u"C:\\T\\tessel.exe");
    EXPECT_EQ(startup.calls.back(), u"write C:\\T\\tessel.exe");
    EXPECT_EQ(ReadSettingValues(profile), (TSettingValues{true, 0, 500, 7}));
    // Saving what is shown again (the About box's OK) leaves the file's bytes alone.
    const std::string once = Stored();
    SaveSettings(profile, ReadSettingValues(profile), startup, u"C:\\T\\tessel.exe");
    EXPECT_EQ(Stored(), once);
}

TEST_F(SettingsDialogStore, MissingElementsShowTheStoreNumbersAndTheSaveWritesAWholeFile) {
    const std::string cases[] = {
        "<profile>\r\n  <window left=\"0\" top=\"0\" height=\"0\" transparency=\"60\"/>\r\n  <update interval=\"20\" "
        "days=\"14\"/>\r\n</profile>\r\n",  // no run
        "<profile>\r\n  <window left=\"0\" top=\"0\" height=\"0\" transparency=\"60\"/>\r\n  <run startup=\"1\"/>\r\n"
        "</profile>\r\n",  // no update
        "<profile>\r\n  <update interval=\"20\" days=\"14\"/>\r\n  <run startup=\"1\"/>\r\n</profile>\r\n",  // no window
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(text);
        TProfile fresh{folder.Folder()};
        WriteFileAtomic(fresh.FilePath(), text);
        try {
            fresh.Load();
        } catch (const EConvertError&) {
        }
        const TSettingValues shown = ReadSettingValues(fresh);
        if (text.find("<run") == std::string::npos) {
            EXPECT_FALSE(shown.Startup);
        }
        if (text.find("<update") == std::string::npos) {
            EXPECT_EQ(shown.Interval, 10);
        }
        if (text.find("<window") == std::string::npos) {
            EXPECT_EQ(shown.Transparency, 80);
        }

        EXPECT_NO_THROW(SaveSettings(fresh, TSettingValues{true, 30, 50, 21}, startup, u"x.exe"));
        TxdataNode stored;
        stored.LoadFromBytes(Stored());
        EXPECT_EQ(stored.ReadValue(u"run/startup"), u"1");
        EXPECT_EQ(stored.ReadValue(u"update/interval"), u"50");
        EXPECT_EQ(stored.ReadValue(u"update/days"), u"21");
        EXPECT_EQ(stored.ReadValue(u"window/transparency"), u"30");
        EXPECT_EQ(stored.ReadValue(u"hosts/maker"), u"www.tesseldesktop.com");
        EXPECT_EQ(fresh.UpdateInterval, 50);
        EXPECT_EQ(fresh.Transparency, 30);
    }
}

// The file emptied or cut down while the program runs: the dialog's reload finds nothing there,
// and Save writes every setting the program holds, the ones just chosen among them.
TEST_F(SettingsDialogStore, SaveAfterTheFileWasDamagedWritesEverySettingTheProgramHolds) {
    std::string held(kDefaultProfileText);
    held.replace(held.find("left=\"0\""), 8, "left=\"915\"");
    const std::string cases[] = {"", "\r\n", "<profile/>", "<profile><run startup=\"1\"/></profile>", "<profile"};
    for (const std::string& damage : cases) {
        SCOPED_TRACE(damage);
        TProfile running{folder.Folder()};
        WriteFileAtomic(running.FilePath(), held);
        running.Load();
        running.Doc.FindNode(u"hosts")->SetAttribute(u"service", u"127.0.0.1:8443");
        WriteFileAtomic(running.FilePath(), damage);
        try {
            running.Load();  // what the dialog does as it opens
        } catch (const EError&) {
            // The damaged file: the dialog says so and shows what the program holds.
        }
        const TSettingValues shown = ReadSettingValues(running);
        SaveSettings(running, TSettingValues{shown.Startup, shown.Transparency, 25, shown.EventDays}, startup, u"x");
        TxdataNode stored;
        ASSERT_NO_THROW(stored.LoadFromBytes(Stored()));
        EXPECT_EQ(stored.ReadValue(u"update/interval"), u"25");
        EXPECT_EQ(stored.ReadValue(u"window/left"), u"915");
        EXPECT_EQ(stored.ReadValue(u"hosts/service"), u"127.0.0.1:8443");
        EXPECT_EQ(stored.ReadValue(u"eventwindow/visible"), u"1");
        EXPECT_EQ(stored.ReadValue(u"run/startup"), damage.find("startup") != std::string::npos ? u"1" : u"0");
        EXPECT_EQ(running.UpdateInterval, 25);
    }
}

TEST_F(SettingsDialogStore, FailedSaveRaisesAndKeepsTheFile) {
    Load(kFull);
    {
        testing::WriteBlocker blocker(profile.FilePath());
        EXPECT_THROW(SaveSettings(profile, TSettingValues{false, 10, 10, 7}, startup, u"x.exe"), EFileError);
    }
    EXPECT_EQ(Stored(), kFull);
}

}  // namespace
}  // namespace tessel
