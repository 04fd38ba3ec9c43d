#include "calendar/account.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "calendar/lzh.h"
#include "support/temp_folder.h"
#include "support/write_blocker.h"

namespace tessel {
namespace {

using Credentials = std::pair<std::string, std::string>;

class RecordingClient : public ICredentialsSink {
public:
    void SetCredentials(const std::string& user, const std::string& password) override {
        calls.emplace_back(user, password);
    }
    std::vector<Credentials> calls;
};

class AccountTest : public ::testing::Test {
protected:
    std::u16string Path() const { return folder.File(u"account.xml"); }
    void WriteDocument(std::string_view text) const { WriteFileAtomic(Path(), CompressStream(text)); }
    std::string StoredDocument() const { return ExpandStream(ReadFileBytes(Path())); }

    testing::TempFolder folder;
    RecordingClient client;
    TAccount account{folder.Folder(), &client};
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

TEST_F(AccountTest, SaveThenLoadGivesBackTrimmedNamePasswordAndCalendars) {
    account.UserName = "  jane.doe  ";
    account.Password = "\tpw 1 ";
    account.SetCalendars({"a@example.com", "b@example.com"});
    account.Save();
    EXPECT_NE(StoredDocument().find("<user username=\"jane.doe\" pass=\"pw 1\"/>"), std::string::npos);

    RecordingClient otherClient;
    TAccount loaded(folder.Folder(), &otherClient);
    loaded.Load();
    EXPECT_EQ(loaded.UserName, "jane.doe");
    EXPECT_EQ(loaded.Password, "pw 1");
    ASSERT_TRUE(loaded.CalendarEntries);
    EXPECT_EQ(loaded.CalendarEntries->Count(), 2u);
    EXPECT_EQ(loaded.IndexOfCalendar("b@example.com"), 1);
    EXPECT_EQ(otherClient.calls, std::vector<Credentials>({{"jane.doe", "pw 1"}}));
}

TEST_F(AccountTest, PasswordWithQuotesAmpersandAndAngleBracketsSurvives) {
    for (const std::string password : {"a\"b", "x&y'z<w>", "&quot;", "p&amp;quot;q\"", "\xE9t\xE9"}) {
        SCOPED_TRACE(password);
        account.SetCredentials("jane", password);
        account.Save();
        TAccount loaded{folder.Folder()};
        loaded.Load();
        EXPECT_EQ(loaded.Password, password);
        loaded.Save();  // and through a second save, as after the account dialog
        TAccount again{folder.Folder()};
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
    account.Load();
    EXPECT_EQ(account.Password, "");
}

TEST_F(AccountTest, SetCredentialsGivesTheClientTheTypedValuesAndTheDocumentTrimmedOnes) {
    account.SetCredentials(" Jane ", " pw ");
    EXPECT_EQ(account.UserName, " Jane ");
    const TxdataNode* user = account.Doc.FindNode(u"user");
    ASSERT_NE(user, nullptr);
    ASSERT_EQ(user->AttributeCount(), 2u);
    EXPECT_EQ(user->AttributeEntry(0), u"username=\"Jane\"");
    EXPECT_EQ(user->AttributeEntry(1), u"pass=\"pw\"");
    EXPECT_FALSE(FileExists(Path()));  // only Save writes

    account.Save();
    account.Load();  // after the dialog closes, the client gets the trimmed values
    EXPECT_EQ(client.calls, std::vector<Credentials>({{" Jane ", " pw "}, {"Jane", "pw"}}));

    WriteDocument("<Account><Calendars><entry id=\"c\"/></Calendars><user username=\"old\" pass=\"x\"/></Account>");
    account.Load();
    account.SetCredentials("new", "");
    EXPECT_EQ(account.Doc.ChildCount(), 2u);  // the existing user element, updated in place
    EXPECT_EQ(account.Doc.ReadValue(u"user/username"), u"new");
    EXPECT_EQ(account.Doc.FindNode(u"user")->AttributeCount(), 1u);
}

TEST_F(AccountTest, MissingFileChangesNothingAndNoCalendarsMeansNoList) {
    account.UserName = "kept";
    account.Load();
    EXPECT_EQ(account.UserName, "kept");
    EXPECT_TRUE(client.calls.empty());
    EXPECT_EQ(account.IndexOfCalendar("kept"), -1);

    WriteDocument("<Account xmlns=\"x\"><user username=\"jane\"/></Account>");
    account.SetCalendars({"a"});
    account.Load();
    EXPECT_EQ(account.UserName, "jane");
    EXPECT_EQ(account.Doc.GetAttribute(u"xmlns"), u"x");
    EXPECT_FALSE(account.CalendarEntries);
    EXPECT_EQ(account.IndexOfCalendar("a"), -1);
}

TEST_F(AccountTest, IndexOfCalendarIgnoresCaseQuotesAndBlanks) {
    WriteDocument(
        "<Account>\r\n"
        "  <Calendars>\r\n"
        "    <entry id=\"Jane.Doe@Example.COM\"/>\r\n"
        "    <entry id='team@group.example'/>\r\n"
        "    <entry id=\"  padded@example  \"/>\r\n"
        "    <entry><id>\r\n        cached@example\r\n    </id></entry>\r\n"
        "    <entry id=\"JANE.doe@example.com\"/>\r\n"
        "  </Calendars>\r\n"
        "</Account>\r\n");
    account.Load();
    EXPECT_EQ(account.IndexOfCalendar("jane.doe@example.com"), 0);  // the first of two equal ids
    EXPECT_EQ(account.IndexOfCalendar("TEAM@group.example"), 1);    // single quotes come back; cleaned off
    EXPECT_EQ(account.IndexOfCalendar("padded@example"), 2);
    EXPECT_EQ(account.IndexOfCalendar("cached@example"), 3);        // element text with its line break
    EXPECT_EQ(account.IndexOfCalendar("missing@example"), -1);
}

TEST_F(AccountTest, SetCalendarsReplacesTheElementAndTheList) {
    account.SetCredentials("jane", "pw");
    account.SetCalendars({"one", "two", "three"});
    account.SetCalendars({"four"});
    EXPECT_EQ(account.Doc.ChildCount(), 2u);
    EXPECT_EQ(account.CalendarEntries->Count(), 1u);
    EXPECT_EQ(account.IndexOfCalendar("four"), 0);
    EXPECT_EQ(account.IndexOfCalendar("one"), -1);
}

// Each variant raises an error naming the file and leaves an empty account that the client hears
// about, whatever was loaded before; the file stays for the user to see.
TEST_F(AccountTest, DamagedFilesGiveAnErrorAndAnEmptyAccount) {
    account.SetCredentials("jane", "pw");
    account.SetCalendars({"a@example.com", "b@example.com", "c@example.com"});
    account.Save();
    const std::string good = ReadFileBytes(Path());
    std::string hugeHeader = good;
    hugeHeader.replace(0, 4, "\xFF\xFF\xFF\xFF");
    std::string beyondAccountLimit = good;
    beyondAccountLimit.replace(0, 4, std::string("\x00\x00\x20\x00", 4));  // 2 MB

    const std::vector<std::pair<const char*, std::string>> variants = {
        {"empty file", ""},
        {"shorter than the header", "\x10\x00"},
        {"header claiming 4 GB", hugeHeader},
        {"header beyond an account's size", beyondAccountLimit},
        {"code replaced half-way", good.substr(0, good.size() / 2) + std::string(good.size(), '\x5A')},
        // The codec would fill the tail with blanks and the parser take what came: two of the
        // three calendars would be gone, and the next save would make that for good.
        {"cut after 60% of its bytes", good.substr(0, good.size() * 6 / 10)},
        {"unclosed text", CompressStream("<Account><user username=\"x\"></Acc")},
        {"text after the document", CompressStream("<Account/>junk")},
        {"unknown entity", CompressStream("<Account><user>&nbsp;</user></Account>")},
        {"larger than any account file", std::string(4u * kAccountMaxTextLength + 1, '\0')},
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
            EXPECT_NE(std::string(e.what()).find("account.xml\" is damaged"), std::string::npos) << e.what();
        }
        EXPECT_EQ(Credentials(account.UserName, account.Password), Credentials());
        EXPECT_FALSE(account.CalendarEntries);
        EXPECT_EQ(account.Doc.ChildCount(), 0u);
        EXPECT_EQ(account.Doc.Name(), u"Account");
        EXPECT_EQ(client.calls, std::vector<Credentials>({{"", ""}}));
        EXPECT_EQ(ReadFileBytes(Path()), bytes);
    }
    // The emptied account is usable: the dialog can fill it and save.
    account.SetCredentials("jane", "pw");
    account.Save();
    account.Load();
    EXPECT_EQ(account.UserName, "jane");
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
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 1);  // no temporary left

    // A document Load would refuse as damaged is not written at all.
    std::vector<std::string> ids;
    for (int i = 0; i < 20000; ++i) ids.push_back("calendar-" + std::to_string(i) + "@group.calendar.example.com");
    account.SetCalendars(ids);
    try {
        account.Save();
        ADD_FAILURE() << "no error";
    } catch (const EError& e) {
        EXPECT_NE(std::string(e.what()).find("too large to save"), std::string::npos) << e.what();
    }
    EXPECT_TRUE(ReadFileBytes(Path()) == before);
    ids.resize(100);
    account.SetCalendars(ids);
    account.Save();
    account.Load();
    EXPECT_EQ(account.CalendarEntries->Count(), 100u);
}

}  // namespace
}  // namespace tessel
