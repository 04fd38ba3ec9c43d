#include "dialogs/subscription_dialog_logic.h"

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

// The part of a private address that makes it a password.
constexpr char kToken[] = "s3cr3tT0k3n";
const std::string kPrivate = std::string("https://cal.example.net/private-") + kToken + "/basic.ics";

TSubscription Item(std::string address, std::string title, TColor color = 0x112233, bool shown = true) {
    return TSubscription{std::move(address), std::move(title), color, shown};
}

TEST(AddAddressCheck, AddressesThatCannotBeTriedAreRefusedWithoutNamingThem) {
    testing::TempFolder folder;
    const std::string file = Utf16ToUtf8(folder.File(u"team.ics"));
    WriteFileAtomic(folder.File(u"team.ics"), "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    const std::vector<TSubscription> existing = {Item("https://h.example/a.ics", "A"), Item(file, "Team")};
    struct Case {
        std::string address;
        const char* expected;  // the exact text, "?" for the parser's own reason, "" for none
    };
    const Case cases[] = {
        {"", kAddressEmptyText},
        {" \t ", kAddressEmptyText},
        {"ftp://h.example/" + std::string(kToken), "?"},
        {"https:" + std::string(kToken), "?"},
        {Utf16ToUtf8(folder.File(u"missing-")) + kToken + ".ics", "?"},
        {"https://h.example/a.ics", kAlreadySubscribedText},
        {"  webcal://h.example/a.ics ", kAlreadySubscribedText},  // webcal fetches the same https address
        {file, kAlreadySubscribedText},
        {"https://h.example/b.ics", ""},
        {kPrivate, ""},
        {"http://127.0.0.1:8080/ical/" + std::string(kToken) + "/basic.ics", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.address);
        const std::string problem = AddressProblem(c.address, existing);
        if (std::string(c.expected) == "?") {
            EXPECT_FALSE(problem.empty());
            EXPECT_NE(problem, kAddressEmptyText);
            EXPECT_NE(problem, kAlreadySubscribedText);
        } else {
            EXPECT_EQ(problem, c.expected);
        }
        EXPECT_EQ(problem.find(kToken), std::string::npos) << "the panel would show the secret: " << problem;
    }
}

TEST(AddAddressCheck, NewSubscriptionTakesTheTypedTitleElseTheCalendarsNameElseTheRedactedAddress) {
    struct Case {
        const char* name;
        std::u16string typed;
        std::string calendarName;
        std::string title;
    };
    const Case cases[] = {
        {"typed", u"  Football  ", "Fixtures 2010", "Football"},
        {"typed, not ASCII", u"Caf\u00e9 \u6771", "", "Caf\xC3\xA9 \xE6\x9D\xB1"},
        {"calendar's own", u"", " Team holidays ", "Team holidays"},
        {"blank typed", u" \t", "Team holidays", "Team holidays"},
        {"neither", u"", "  ", RedactedAddress(kPrivate)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TSubscriptionCheck check;
        check.Ok = true;
        check.CalendarName = c.calendarName;
        const TSubscription item = NewSubscription("  " + kPrivate + " ", c.typed, 0x3A43D0, check);
        EXPECT_EQ(item.Title, c.title);
        EXPECT_EQ(item.Address, kPrivate);
        EXPECT_EQ(item.Color, 0x3A43D0u);
        EXPECT_TRUE(item.Shown);
        EXPECT_EQ(item.Title.find(kToken), std::string::npos);
    }
}

TEST(SubscriptionNotice, SkippedLinesAreCountedWithTheFirstQuoted) {
    const struct {
        size_t count;
        const char* first;
        const char* text;
    } rows[] = {
        {0, "", ""},
        {1, "line 8: an empty recurrence rule, ignored", "One line of this calendar was skipped:\rline 8: an empty recurrence rule, ignored"},
        {12, "line 3: a line without ':', the line is skipped",
         "12 lines of this calendar were skipped. The first:\rline 3: a line without ':', the line is skipped"},
    };
    for (const auto& row : rows) EXPECT_EQ(SkippedLinesText(row.count, row.first), row.text);
}

TEST(AddAddressColors, TheFirstPresetNoShownCalendarUsesIsOffered) {
    const std::vector<TPresetColor>& presets = SubscriptionPresetColors();
    ASSERT_GE(presets.size(), 3u);
    std::vector<TColor> all;
    for (const TPresetColor& p : presets) all.push_back(p.Color);
    struct Case {
        const char* name;
        std::vector<TColor> used;
        TColor offered;
    };
    const Case cases[] = {
        {"none used", {}, presets[0].Color},
        {"first used", {presets[0].Color}, presets[1].Color},
        {"others than presets", {0x010203, presets[0].Color, 0xFFFFFF}, presets[1].Color},
        {"first two, out of order", {presets[1].Color, presets[0].Color}, presets[2].Color},
        {"all used", all, presets[0].Color},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(FirstFreePresetColor(c.used), c.offered);
    }
    // Told apart at a glance: no two presets alike.
    for (size_t i = 0; i < all.size(); ++i)
        for (size_t j = i + 1; j < all.size(); ++j) EXPECT_NE(all[i], all[j]) << Utf16ToUtf8(presets[i].Name);
}

using testing::CalendarList;

constexpr char kFeed[] =
    "<feed>"
    "<entry><id>http://h/feeds/work</id><title>Work</title><gCal:color value='#A32929'/></entry>"
    "<entry><id>http://h/feeds/home</id><title>Home</title><gCal:color value='#zz2929'/></entry>"
    "</feed>";

TEST(CalendarPageRows, ServiceCalendarsComeFirstThenTheSubscriptionsWithTheirTicksAndColours) {
    const CalendarList list(kFeed);
    const std::vector<TSubscription> subscriptions = {
        Item("https://h.example/a.ics", "Football", 0x4F9E2E, true),
        Item(kPrivate, "  ", 0x1E87E8, false),
        Item("webcal://h.example/c.ics", "Caf\xC3\xA9", 0xC6538E, true),
    };
    struct Case {
        const char* name;
        const TxdataList* entries;
        std::vector<std::u16string> captions;
        std::vector<bool> ticked;
        std::vector<int> subscriptionAt;  // per row
    };
    const Case cases[] = {
        {"with the service's list",
         list.entries.get(),
         {u"Work", u"Home", u"Football", Utf8ToUtf16(RedactedAddress(kPrivate)), u"Caf\u00e9"},
         {true, true, true, false, true},
         {-1, -1, 0, 1, 2}},
        {"without an account", nullptr, {u"Football", Utf8ToUtf16(RedactedAddress(kPrivate)), u"Caf\u00e9"},
         {true, false, true}, {0, 1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCalendarPageRows page;
        page.Fill(c.entries, subscriptions);
        ASSERT_EQ(page.Rows().size(), c.captions.size());
        EXPECT_EQ(page.ServiceRowCount(), c.captions.size() - subscriptions.size());
        for (size_t i = 0; i < c.captions.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(page.Rows()[i].Caption, c.captions[i]);
            EXPECT_EQ(page.Rows()[i].Checked, c.ticked[i]);
            EXPECT_EQ(page.SubscriptionAt(int(i)), c.subscriptionAt[i]);
            if (c.subscriptionAt[i] >= 0) {
                EXPECT_TRUE(page.Rows()[i].HasColor);
                EXPECT_EQ(page.Rows()[i].Color, subscriptions[size_t(c.subscriptionAt[i])].Color);
                EXPECT_EQ(page.RowOfSubscription(size_t(c.subscriptionAt[i])), int(i));
            }
            EXPECT_EQ(Utf16ToUtf8(page.Rows()[i].Caption).find(kToken), std::string::npos);
        }
        EXPECT_EQ(page.SubscriptionAt(-1), -1);
        EXPECT_EQ(page.SubscriptionAt(int(c.captions.size())), -1);
    }
    // The service's colours: a colour text reads as one, a damaged one leaves the row without.
    TCalendarPageRows page;
    page.Fill(list.entries.get(), {});
    EXPECT_TRUE(page.Rows()[0].HasColor);
    EXPECT_EQ(page.Rows()[0].Color, 0x2929A3u);
    EXPECT_FALSE(page.Rows()[1].HasColor);
}

TEST(CalendarPageRows, TicksSplitBetweenTheServiceAndTheSubscriptionsAndMissingOnesCountUnticked) {
    const CalendarList list(kFeed);
    TCalendarPageRows page;
    page.Fill(list.entries.get(), {Item("https://h.example/a.ics", "A"), Item("https://h.example/b.ics", "B")});
    struct Case {
        std::vector<bool> ticks;
        std::vector<bool> service;
        std::vector<bool> subscriptions;
    };
    const Case cases[] = {
        {{true, false, false, true}, {true, false}, {false, true}},
        {{false, true, true}, {false, true}, {true, false}},
        {{true}, {true, false}, {false, false}},
        {{}, {false, false}, {false, false}},
        {{true, true, true, true, true, true}, {true, true}, {true, true}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(page.ServiceTicks(c.ticks), c.service);
        EXPECT_EQ(page.SubscriptionTicks(c.ticks), c.subscriptions);
    }
}

class CalendarChoiceSave : public ::testing::Test {
protected:
    testing::TempFolder folder;
    TAccount account{folder.Folder()};
    TSubscriptions store{folder.Folder()};
    CalendarList list{kFeed};
};

TEST_F(CalendarChoiceSave, WritesTheSubscriptionsAsListedWithTheirTicksAndTheAccountAsBefore) {
    store.Items = {Item("https://h.example/old.ics", "Old")};
    store.Save();
    const std::vector<TSubscription> listed = {Item(kPrivate, "Private", 0x4F9E2E, true),
                                               Item("webcal://h.example/c.ics", "Caf\xC3\xA9", 0xC6538E, true)};
    struct Case {
        const char* name;
        const TxdataList* entries;
        std::vector<bool> ticks;
        std::vector<bool> shown;
        size_t calendars;
    };
    const Case cases[] = {
        {"service and subscriptions", list.entries.get(), {true, false, false, true}, {false, true}, 1},
        {"subscriptions alone", nullptr, {true, true}, {true, true}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TCalendarPageRows page;
        page.Fill(c.entries, listed);
        SaveCalendarChoice(account, store, c.entries ? u"jane" : u"", u"pw", page, listed, {}, c.ticks);
        TSubscriptions reloaded(folder.Folder());
        reloaded.Load();
        ASSERT_EQ(reloaded.Items.size(), listed.size());
        for (size_t i = 0; i < listed.size(); ++i) {
            EXPECT_EQ(reloaded.Items[i].Address, listed[i].Address);
            EXPECT_EQ(reloaded.Items[i].Title, listed[i].Title);
            EXPECT_EQ(reloaded.Items[i].Color, listed[i].Color);
            EXPECT_EQ(reloaded.Items[i].Shown, bool(c.shown[i]));
            EXPECT_EQ(store.Items[i].Shown, bool(c.shown[i]));
        }
        // The secret is not in the file in the clear.
        EXPECT_EQ(ReadFileBytes(store.FilePath()).find(kToken), std::string::npos);
        TAccount saved(folder.Folder());
        saved.Load();
        EXPECT_EQ(saved.UserName, c.entries ? "jane" : "");
        ASSERT_NE(saved.CalendarEntries, nullptr);
        EXPECT_EQ(saved.CalendarEntries->Count(), c.calendars);
    }
}

TEST_F(CalendarChoiceSave, AFailedWriteRaisesAndLeavesTheFilesAndTheStoreAsTheyWere) {
    store.Items = {Item("https://h.example/old.ics", "Old")};
    store.Save();
    SaveAccountChoice(account, u"jane", u"pw", list.entries.get(), {true, true});
    const std::string subscriptionsBefore = ReadFileBytes(store.FilePath());
    const std::string accountBefore = ReadFileBytes(account.FilePath());
    TCalendarPageRows page;
    const std::vector<TSubscription> listed = {Item(kPrivate, "Private")};
    page.Fill(list.entries.get(), listed);
    {
        testing::WriteBlocker blocker(store.FilePath());
        EXPECT_THROW(SaveCalendarChoice(account, store, u"joe", u"pw", page, listed, {}, {false, false, true}),
                     EFileError);
    }
    EXPECT_EQ(ReadFileBytes(store.FilePath()), subscriptionsBefore);
    EXPECT_EQ(ReadFileBytes(account.FilePath()), accountBefore);
    ASSERT_EQ(store.Items.size(), 1u);
    EXPECT_EQ(store.Items[0].Title, "Old");
}

}  // namespace
}  // namespace tessel
