#include "dialogs/account_dialog_logic.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/account.h"
#include "calendar_list.h"
#include "support/temp_folder.h"
#include "support/write_blocker.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

namespace tessel {
namespace {

using Logic = TAccountDialogLogic;

TEST(AccountDialogPages, NextWithABlankNameStaysAndBlocksClosingUntilSave) {
    for (const char16_t* blank : {u"", u"   ", u"\t \r\n"}) {
        SCOPED_TRACE(Utf16ToUtf8(blank));
        Logic logic;
        EXPECT_TRUE(logic.CanClose());
        EXPECT_EQ(logic.NextClick(blank), Logic::NextResult::UsernameEmpty);
        EXPECT_EQ(logic.CurrentPage(), Logic::kAccountPage);
        EXPECT_TRUE(logic.NextVisible());
        EXPECT_FALSE(logic.CanClose());
        // Moving between the pages does not give the permission back; only Save does.
        logic.CalendarBtnClick();
        logic.AccountbtnClick();
        EXPECT_FALSE(logic.CanClose());
        logic.SaveClick();
        EXPECT_TRUE(logic.CanClose());
    }
}

TEST(AccountDialogPages, WithSubscriptionsABlankNameGoesOnWithoutSigningIn) {
    struct Case {
        const char16_t* name;
        bool signsIn;
    };
    const Case cases[] = {{u"", false}, {u" \t ", false}, {u"jane", true}, {u" j ", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(Utf16ToUtf8(c.name));
        EXPECT_EQ(Logic::SignsIn(c.name), c.signsIn);
        Logic logic;
        EXPECT_EQ(logic.NextClick(c.name, true), Logic::NextResult::SignIn);
        EXPECT_EQ(logic.CurrentPage(), Logic::kCalendarPage);
        EXPECT_TRUE(logic.CanClose()) << "nothing was refused";
    }
}

TEST(AccountDialogPages, NextAndTheCalendarsButtonShowSaveAndTheAccountButtonShowsNextWithoutThePanel) {
    Logic logic;
    EXPECT_EQ(logic.NextClick(u" jane "), Logic::NextResult::SignIn);
    EXPECT_EQ(logic.CurrentPage(), Logic::kCalendarPage);
    EXPECT_TRUE(logic.SaveVisible());
    EXPECT_FALSE(logic.NextVisible());
    EXPECT_TRUE(logic.CanClose());

    logic.Status("Connect to Google Calendar");
    ASSERT_TRUE(logic.PanelVisible());
    logic.AccountbtnClick();
    EXPECT_EQ(logic.CurrentPage(), Logic::kAccountPage);
    EXPECT_TRUE(logic.NextVisible());
    EXPECT_FALSE(logic.SaveVisible());
    EXPECT_FALSE(logic.PanelVisible());

    // The calendars button signs in with whatever name there is, empty included.
    logic.CalendarBtnClick();
    EXPECT_EQ(logic.CurrentPage(), Logic::kCalendarPage);
    EXPECT_TRUE(logic.CanClose());
}

TEST(AccountDialogStatus, PanelShowsTheTextOrTheFailureLinesAndHidesOnlyOnExactlyClose) {
    struct Case {
        const char* text;
        const char* shown;
        bool visible;
    };
    const std::string failed = kAccountAuthFailedText;
    const Case cases[] = {
        {"Connect to Google Calendar", "Connect to Google Calendar", true},
        {"Gmail Authenticate failed!\rUsername or Pass not correctly,\rOpen Options windows to change !",
         failed.c_str(), true},
        {"Connection failed: refused", failed.c_str(), true},
        {"Failure", "Failure", true},  // "fail" is looked for as written
        {"Close", "Close", true},
        {"close", "close", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Logic logic;
        logic.Status(c.text);
        EXPECT_EQ(logic.PanelText(), c.shown);
        EXPECT_EQ(logic.PanelVisible(), c.visible);
    }
    // Raised failures have texts of their own, which the "fail" rule does not touch.
    EXPECT_EQ(NoAnswerText("127.0.0.1:1"),
              "The calendar service at 127.0.0.1:1 did not answer.\rCheck the network and try again.");
    EXPECT_EQ(NoAnswerText("127.0.0.1:1", "Cannot connect"),
              "The calendar service at 127.0.0.1:1 did not answer:\rCannot connect\rCheck the network and try again.");
    EXPECT_EQ(UnreadableAnswerText("line 3"), "The calendar service's answer could not be read:\rline 3");
    EXPECT_EQ(failed,
              "Gmail Authenticate failed!\rUsername or Pass not correctly,\r\rClick \"1.User Account\" button on left to "
              "check username and pass !");
}

using testing::CalendarList;

constexpr char kFeed[] =
    "<feed>"
    "<entry><id>http://h/feeds/work</id><title type='text'>Work</title></entry>"
    "<entry><id>http://h/feeds/cafe</id><title type='text'>Caf\xC3\xA9 &amp; Termine \xE6\x9D\xB1</title></entry>"
    "<entry><id>http://h/feeds/tag</id><title type='text'>&lt;b&gt;bold&lt;/b&gt;</title></entry>"
    "<entry><id>http://h/feeds/untitled</id><title type='text'>  </title></entry>"
    "<entry><id>a\"b&lt;c&amp;d</id><title>Odd id</title></entry>"
    "</feed>";

TEST(AccountDialogCalendars, RowsAreTheDecodedTitlesAllTickedAndBlankTitlesShowTheId) {
    const CalendarList list(kFeed);
    const std::vector<TCalendarRow> rows = CalendarRows(list.entries.get());
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[0].Caption, u"Work");
    EXPECT_EQ(rows[1].Caption, u"Caf\u00e9 & Termine \u6771");
    EXPECT_EQ(rows[2].Caption, u"<b>bold</b>");  // markup is text
    EXPECT_EQ(rows[3].Caption, u"http://h/feeds/untitled");
    for (const TCalendarRow& row : rows) EXPECT_TRUE(row.Checked);
    EXPECT_TRUE(CalendarRows(nullptr).empty());
}

TEST(AccountDialogCalendars, TickedIdsFollowTheListOrderAndIgnoreRowsBeyondIt) {
    const CalendarList list(kFeed);
    EXPECT_EQ(TickedCalendarIds(list.entries.get(), {true, false, true, false, true, true, true}),
              (std::vector<std::string>{"http://h/feeds/work", "http://h/feeds/tag", "a\"b<c&d"}));
    EXPECT_TRUE(TickedCalendarIds(list.entries.get(), std::vector<bool>(5, false)).empty());
    EXPECT_EQ(TickedCalendarIds(list.entries.get(), {false, true}), (std::vector<std::string>{"http://h/feeds/cafe"}));
    EXPECT_TRUE(TickedCalendarIds(nullptr, {true}).empty());
}

TEST(AccountDialogTexts, FieldsAndStoreConvertThroughUtf8AndOtherBytesShowAsThemselves) {
    const std::u16string typed = u"p\u00e4ss \u6771 &\"<%";
    EXPECT_EQ(AccountStoredText(typed), "p\xC3\xA4ss \xE6\x9D\xB1 &\"<%");
    EXPECT_EQ(AccountFieldText(AccountStoredText(typed)), typed);
    EXPECT_EQ(AccountFieldText("p\xE4ss"), u"p\u00e4ss");  // a Latin-1 file written by hand
    EXPECT_EQ(AccountFieldText(""), u"");
}

class AccountDialogSave : public ::testing::Test {
protected:
    // account.xml as a fresh store reads it.
    std::unique_ptr<TAccount> Reloaded() const {
        auto loaded = std::make_unique<TAccount>(folder.Folder());
        loaded->Load();
        return loaded;
    }
    static std::vector<std::string> StoredIds(const TAccount& account) {
        std::vector<std::string> ids;
        if (!account.CalendarEntries) return ids;
        for (size_t i = 0; i < account.CalendarEntries->Count(); ++i)
            ids.push_back(Narrow(account.CalendarEntries->Node(i)->ReadValue(u"id")));
        return ids;
    }

    testing::TempFolder folder;
    TAccount account{folder.Folder()};
};

TEST_F(AccountDialogSave, HostileNamesAndPasswordsSurviveTheRoundTrip) {
    const CalendarList list(kFeed);
    const std::u16string texts[] = {
        u"a&b\"c<d>e%f'g", u"J\u00fcrgen@m\u00fcnchen.de", u"\u6771\u4eac \U0001F600", std::u16string(200, u'x') + u"&",
    };
    for (const std::u16string& text : texts) {
        SCOPED_TRACE(Utf16ToUtf8(text));
        SaveAccountChoice(account, text, text + u"#pw", list.entries.get(), std::vector<bool>(5, true));
        const auto loaded = Reloaded();
        EXPECT_EQ(AccountFieldText(loaded->UserName), text);
        EXPECT_EQ(AccountFieldText(loaded->Password), text + u"#pw");
    }
}

TEST_F(AccountDialogSave, CalendarsElementIsReplacedByTheTickedIdsAndAnEmptyChoiceLeavesItEmpty) {
    const CalendarList list(kFeed);
    account.SetCalendars({"old-1", "old-2", "old-3"});
    SaveAccountChoice(account, u"jane", u"pw", list.entries.get(), {false, true, false, false, true});
    EXPECT_EQ(StoredIds(*Reloaded()), (std::vector<std::string>{"http://h/feeds/cafe", "a\"b<c&d"}));
    // The store's own list follows the new element (the old one is gone).
    EXPECT_EQ(StoredIds(account), StoredIds(*Reloaded()));

    SaveAccountChoice(account, u"jane", u"pw", list.entries.get(), std::vector<bool>(5, false));
    const auto loaded = Reloaded();
    ASSERT_NE(loaded->Doc.FindNode(u"Calendars"), nullptr) << "an empty choice still writes the element";
    EXPECT_TRUE(StoredIds(*loaded).empty());

    SaveAccountChoice(account, u"jane", u"pw", nullptr, {});  // no calendar list at all
    EXPECT_NE(Reloaded()->Doc.FindNode(u"Calendars"), nullptr);
    EXPECT_EQ(Reloaded()->UserName, "jane");
}

TEST_F(AccountDialogSave, FailedWriteRaisesAndKeepsTheOldFile) {
    const CalendarList list(kFeed);
    SaveAccountChoice(account, u"first", u"pw", list.entries.get(), std::vector<bool>(5, true));
    const std::string before = ReadFileBytes(account.FilePath());
    {
        testing::WriteBlocker blocker(account.FilePath());
        EXPECT_THROW(SaveAccountChoice(account, u"second", u"pw", list.entries.get(), {true}), EFileError);
    }
    EXPECT_EQ(ReadFileBytes(account.FilePath()), before);
}

}  // namespace
}  // namespace tessel
