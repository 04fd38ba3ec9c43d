#include "calendar/account.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/app_folder.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "calendar/lzh.h"
#include "support/temp_folder.h"
#include "support/write_blocker.h"

namespace tessel {
namespace {

class RecordingClient : public ICredentialsSink {
public:
    void SetCredentials(const std::string& user, const std::string& password) override {
        calls.emplace_back(user, password);
    }
    std::vector<std::pair<std::string, std::string>> calls;
};

class AccountTest : public ::testing::Test {
protected:
    AccountTest() { SetAppFolder(folder.Folder()); }

    std::u16string Path() const { return folder.File(u"account.xml"); }
    // The account document as a file of this program would hold it.
    void WriteDocument(std::string_view text) const { WriteFileAtomic(Path(), CompressStream(text)); }
    std::string StoredDocument() const { return ExpandStream(ReadFileBytes(Path())); }

    testing::TempFolder folder;
    RecordingClient client;
    TAccount account{&client};
};

TEST_F(AccountTest, SaveWritesTheDocumentLinesPackedWithTheCodec) {
    account.SetCredentials("jane", "secret");
    account.SetCalendars({"jane@example.com", "team%40group"});
    account.Save();
    EXPECT_EQ(StoredDocument(),
              "<Account>\r\n"
              "        <user username=\"jane\" pass=\"secret\"/>\r\n"
              "        <Calendars>\r\n"
              "                <entry id=\"jane@example.com\"/>\r\n"
              "                <entry id=\"team%40group\"/>\r\n"
              "        </Calendars>\r\n"
              "</Account>\r\n");
}

TEST_F(AccountTest, SaveThenLoadGivesBackNamePasswordAndCalendars) {
    account.UserName = "  jane.doe  ";
    account.Password = "\tpw 1 ";
    account.SetCalendars({"a@example.com", "b@example.com"});
    account.Save();

    RecordingClient otherClient;
    TAccount loaded(&otherClient);
    loaded.Load();
    EXPECT_EQ(loaded.UserName, "jane.doe");  // stored trimmed; inner blanks stay
    EXPECT_EQ(loaded.Password, "pw 1");
    ASSERT_TRUE(loaded.CalendarEntries);
    EXPECT_EQ(loaded.CalendarEntries->Count(), 2u);
    EXPECT_EQ(loaded.IndexOfCalendar("b@example.com"), 1);
    EXPECT_EQ(loaded.Doc.Name(), u"Account");
    ASSERT_EQ(otherClient.calls.size(), 1u);
    EXPECT_EQ(otherClient.calls[0], std::make_pair(std::string("jane.doe"), std::string("pw 1")));
}

TEST_F(AccountTest, PasswordWithQuotesAmpersandAndAngleBracketsSurvives) {
    const std::vector<std::string> passwords = {"a\"b", "x&y'z<w>", "\"'&<>\"", "&quot;", "p&amp;quot;q\"", "\xE9t\xE9"};
    for (const auto& password : passwords) {
        SCOPED_TRACE(password);
        account.SetCredentials("jane", password);
        account.Save();
        TAccount loaded;
        loaded.Load();
        EXPECT_EQ(loaded.Password, password);
        // And once more through a second save, as the program does after the dialog.
        loaded.Save();
        TAccount again;
        again.Load();
        EXPECT_EQ(again.Password, password);
    }
}

TEST_F(AccountTest, EmptyPasswordRemovesThePassAttribute) {
    account.SetCredentials("jane", "old");
    account.Save();
    account.Password = "   ";
    account.Save();
    EXPECT_EQ(StoredDocument().find("pass="), std::string::npos);
    TAccount loaded;
    loaded.Load();
    EXPECT_EQ(loaded.UserName, "jane");
    EXPECT_EQ(loaded.Password, "");
}

TEST_F(AccountTest, SetCredentialsGivesTheClientTheTypedValuesAndTheDocumentTrimmedOnes) {
    account.SetCredentials(" Jane ", " pw ");
    EXPECT_EQ(account.UserName, " Jane ");
    EXPECT_EQ(account.Password, " pw ");
    ASSERT_EQ(client.calls.size(), 1u);
    EXPECT_EQ(client.calls[0], std::make_pair(std::string(" Jane "), std::string(" pw ")));
    const TxdataNode* user = account.Doc.FindNode(u"user");
    ASSERT_NE(user, nullptr);
    ASSERT_EQ(user->AttributeCount(), 2u);
    EXPECT_EQ(user->AttributeEntry(0), u"username=\"Jane\"");
    EXPECT_EQ(user->AttributeEntry(1), u"pass=\"pw\"");
    EXPECT_FALSE(FileExists(Path()));  // only Save writes

    // After the dialog saves, the next Load hands the client the trimmed values.
    account.Save();
    account.Load();
    ASSERT_EQ(client.calls.size(), 2u);
    EXPECT_EQ(client.calls[1], std::make_pair(std::string("Jane"), std::string("pw")));
}

TEST_F(AccountTest, SetCredentialsUpdatesTheExistingUserElementInPlace) {
    WriteDocument("<Account><Calendars><entry id=\"c\"/></Calendars><user username=\"old\" pass=\"x\"/></Account>");
    account.Load();
    account.SetCredentials("new", "");
    EXPECT_EQ(account.Doc.ChildCount(), 2u);
    EXPECT_EQ(account.Doc.ReadValue(u"user/username"), u"new");
    EXPECT_EQ(account.Doc.FindNode(u"user")->AttributeCount(), 1u);  // the empty password removed "pass"
    EXPECT_EQ(account.IndexOfCalendar("c"), 0);
}

TEST_F(AccountTest, MissingFileChangesNothing) {
    account.UserName = "kept";
    account.Load();
    EXPECT_EQ(account.UserName, "kept");
    EXPECT_FALSE(account.CalendarEntries);
    EXPECT_TRUE(client.calls.empty());
    EXPECT_EQ(account.IndexOfCalendar("anything"), -1);
}

TEST_F(AccountTest, IndexOfCalendarIgnoresCaseQuotesAndBlanks) {
    WriteDocument(
        "<Account>\r\n"
        "  <user username=\"jane\"/>\r\n"
        "  <Calendars>\r\n"
        "    <entry id=\"Jane.Doe@Example.COM\"/>\r\n"
        "    <entry id='team@group.example'/>\r\n"
        "    <entry id=\"  padded@example  \"/>\r\n"
        "    <entry><id>\r\n        cached@example\r\n    </id></entry>\r\n"
        "    <entry/>\r\n"
        "    <entry id=\"JANE.doe@example.com\"/>\r\n"
        "  </Calendars>\r\n"
        "</Account>\r\n");
    account.Load();
    EXPECT_EQ(account.IndexOfCalendar("jane.doe@example.com"), 0);  // the first of two equal ids
    EXPECT_EQ(account.IndexOfCalendar("TEAM@group.example"), 1);    // single quotes come back; cleaned off
    EXPECT_EQ(account.IndexOfCalendar("padded@example"), 2);
    EXPECT_EQ(account.IndexOfCalendar("cached@example"), 3);        // a child element with line breaks
    EXPECT_EQ(account.IndexOfCalendar("missing@example"), -1);
    EXPECT_EQ(account.IndexOfCalendar(""), 4);                      // the entry without an id
}

TEST_F(AccountTest, FileWithoutCalendarsLeavesTheListAbsent) {
    WriteDocument("<Account><user username=\"jane\" pass=\"pw\"/></Account>");
    account.Load();
    EXPECT_EQ(account.UserName, "jane");
    EXPECT_FALSE(account.CalendarEntries);
    EXPECT_EQ(account.IndexOfCalendar("jane"), -1);
}

TEST_F(AccountTest, SetCalendarsReplacesTheElementAndTheList) {
    account.SetCredentials("jane", "pw");
    account.SetCalendars({"one", "two", "three"});
    account.SetCalendars({"four"});
    EXPECT_EQ(account.Doc.ChildCount(), 2u);  // user, one Calendars
    ASSERT_TRUE(account.CalendarEntries);
    EXPECT_EQ(account.CalendarEntries->Count(), 1u);
    EXPECT_EQ(account.IndexOfCalendar("four"), 0);
    EXPECT_EQ(account.IndexOfCalendar("one"), -1);
    account.SetCalendars({});
    ASSERT_TRUE(account.CalendarEntries);
    EXPECT_EQ(account.CalendarEntries->Count(), 0u);
}

TEST_F(AccountTest, LoadReplacesEverythingTheDocumentHeld) {
    account.SetCredentials("first", "pw");
    account.SetCalendars({"a", "b"});
    account.Save();
    WriteDocument("<Account xmlns=\"x\"><user username=\"second\"/></Account>");
    account.Load();
    EXPECT_EQ(account.UserName, "second");
    EXPECT_EQ(account.Password, "");
    EXPECT_EQ(account.Doc.ChildCount(), 1u);
    EXPECT_EQ(account.Doc.GetAttribute(u"xmlns"), u"x");
    EXPECT_FALSE(account.CalendarEntries);
}

// Damaged files: each variant raises an error naming the file and leaves an empty account that
// the client hears about, whatever was loaded before.
TEST_F(AccountTest, DamagedFilesGiveAnErrorAndAnEmptyAccount) {
    std::string good;
    {
        TAccount writer;
        writer.SetCredentials("jane", "pw");
        writer.SetCalendars({"a@example.com", "b@example.com", "c@example.com"});
        writer.Save();
        good = ReadFileBytes(Path());
    }
    std::string hugeHeader = good;
    hugeHeader.replace(0, 4, "\xFF\xFF\xFF\xFF");
    std::string beyondAccountLimit = good;
    beyondAccountLimit.replace(0, 4, std::string("\x00\x00\x20\x00", 4));  // 2 MB
    std::string garbageTail = good.substr(0, good.size() / 2) + std::string(good.size(), '\x5A');

    const std::vector<std::pair<const char*, std::string>> variants = {
        {"empty file", ""},
        {"shorter than the header", "\x10\x00"},
        {"header claiming 4 GB", hugeHeader},
        {"header beyond an account's size", beyondAccountLimit},
        {"code replaced half-way", garbageTail},
        {"text that is not XML", CompressStream("<Account><user username=\"x\"></Acc")},
        {"text after the document", CompressStream("<Account/>junk")},
        {"unknown entity", CompressStream("<Account><user>&nbsp;</user></Account>")},
    };
    for (const auto& [name, bytes] : variants) {
        SCOPED_TRACE(name);
        WriteFileAtomic(Path(), good);
        account.Load();
        ASSERT_EQ(account.UserName, "jane");
        client.calls.clear();

        WriteFileAtomic(Path(), bytes);
        try {
            account.Load();
            ADD_FAILURE() << "no error";
        } catch (const EError& e) {
            const std::string message = e.what();
            EXPECT_NE(message.find("account.xml\" is damaged"), std::string::npos) << message;
        }
        EXPECT_EQ(account.UserName, "");
        EXPECT_EQ(account.Password, "");
        EXPECT_FALSE(account.CalendarEntries);
        EXPECT_EQ(account.Doc.ChildCount(), 0u);
        EXPECT_EQ(account.Doc.Name(), u"Account");
        ASSERT_EQ(client.calls.size(), 1u);
        EXPECT_EQ(client.calls[0], std::make_pair(std::string(), std::string()));
        EXPECT_EQ(ReadFileBytes(Path()), bytes);  // the damaged file is left for the user to see
    }
}

TEST_F(AccountTest, OversizedFileIsRefusedWithoutDecoding) {
    WriteFileAtomic(Path(), std::string(4u * kAccountMaxTextLength + 1, '\0'));
    EXPECT_THROW(account.Load(), EError);
    EXPECT_EQ(account.Doc.ChildCount(), 0u);
}

TEST_F(AccountTest, AccountUsableAgainAfterADamagedLoad) {
    WriteFileAtomic(Path(), "garbage");
    EXPECT_THROW(account.Load(), EError);
    account.SetCredentials("jane", "pw");
    account.SetCalendars({"a"});
    account.Save();
    TAccount loaded;
    loaded.Load();
    EXPECT_EQ(loaded.UserName, "jane");
    EXPECT_EQ(loaded.IndexOfCalendar("A"), 0);
}

TEST_F(AccountTest, FailedSaveKeepsTheOldFile) {
    account.SetCredentials("jane", "pw");
    account.Save();
    const std::string before = ReadFileBytes(Path());
    account.SetCredentials("someone.else", "other");
    {
        testing::WriteBlocker blocker(Path());
        ASSERT_TRUE(blocker.Active());
        EXPECT_THROW(account.Save(), EFileError);
    }
    EXPECT_EQ(ReadFileBytes(Path()), before);
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.Path())) ++files;
    EXPECT_EQ(files, 1u);  // no temporary left behind
}

}  // namespace
}  // namespace tessel
