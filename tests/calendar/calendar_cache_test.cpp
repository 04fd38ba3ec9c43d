// The cache pair: what a sync writes, what LoadCache reads back without the network, and what
// happens when a file is missing, damaged or cannot be named.
#include "calendar_fixture.h"

#include "base/text.h"

namespace tessel::testing {
namespace {

using ::testing::ElementsAre;

class CalendarCache : public CalendarClientTest {
protected:
    std::unique_ptr<TCalendar> FreshClient() {
        auto fresh = std::make_unique<TCalendar>(http, &account, clock, hosts, folder.Folder(), 7);
        fresh->SetCredentials("Jane@calendar.test", "secret");
        fresh->OnStatus = [this](TCalendar&, const std::string& message) { statuses.push_back(message); };
        return fresh;
    }
};

TEST_F(CalendarCache, LoadCacheRebuildsTheSyncedEventsWithoutTheNetwork) {
    ScriptTwoCalendars();
    calendar.Sync(EncodeDate(2008, 3, 15));
    ASSERT_EQ(calendar.Events.size(), 2u);
    http.Requests.clear();
    statuses.clear();

    auto fresh = FreshClient();
    fresh->LoadCache();
    EXPECT_TRUE(http.Requests.empty());
    EXPECT_TRUE(statuses.empty());
    ASSERT_EQ(fresh->Events.size(), calendar.Events.size());
    for (size_t i = 0; i < calendar.Events.size(); ++i) {
        const Tevent& a = calendar.Events[i].Event;
        const Tevent& b = fresh->Events[i].Event;
        EXPECT_EQ(fresh->Events[i].Key(), calendar.Events[i].Key());
        EXPECT_EQ(b.Title(), a.Title());
        EXPECT_EQ(b.StartTime, a.StartTime);
        EXPECT_EQ(b.EndTime, a.EndTime);
        EXPECT_EQ(b.AllDay, a.AllDay);
        EXPECT_EQ(b.Link(), a.Link());
        EXPECT_EQ(b.Color, a.Color) << "colours come from the cached calendar list";
    }
    ASSERT_NE(fresh->CalendarEntries, nullptr);
    EXPECT_EQ(fresh->CalendarEntries->Count(), 2u);
    EXPECT_EQ(fresh->EventEntries->Count(), 2u);
}

TEST_F(CalendarCache, UnicodeTitlesSurviveTheCacheByteForByte) {
    http.Answer(kSignInPath, "Auth=t\n");
    http.Answer(kListUrl, CalendarListFeed({{"work", "#FF0000"}}));
    http.Answer(FeedAddress("work"),
                EventFeed("work", {EventEntry("work", "z", "Z\xc3\xbcrich &amp; \xe6\x9d\xb1\xe4\xba\xac", {{"2008-03-05", "2008-03-06"}})}));
    account.SetCalendars({CalendarId("work")});
    calendar.Sync(EncodeDate(2008, 3, 15));
    auto fresh = FreshClient();
    fresh->LoadCache();
    ASSERT_EQ(fresh->Events.size(), 1u);
    EXPECT_EQ(fresh->Events[0].Event.Title(), u"Z\u00fcrich & \u6771\u4eac");
}

// The start reads the cache on a thread of its own while it makes its windows; what the load
// then holds is what it would have read itself, whatever came in between.
TEST_F(CalendarCache, ACacheReadAheadGivesWhatTheLoadItselfWouldRead) {
    ScriptTwoCalendars();
    calendar.Sync(EncodeDate(2008, 3, 15));
    const auto shown = [](const TCalendar& client) {
        std::vector<std::string> lines;
        for (const EventItem& item : client.Events)
            lines.push_back(std::string(item.Key()) + " " + Utf16ToUtf8(item.Event.Title()) + " " +
                            std::to_string(item.Event.Color));
        return lines;
    };
    const std::vector<std::string> synced = shown(calendar);
    ASSERT_EQ(synced.size(), 2u);
    const struct {
        const char* name;
        std::string aheadFor;
        std::function<void(TCalendar&)> between;
        bool whole;
        bool empty;  // else the synced events
    } cases[] = {
        {"the same account", "Jane@calendar.test", nullptr, true, false},
        {"another account", "someone@calendar.test", nullptr, true, false},
        {"the cache written meanwhile", "Jane@calendar.test",
         [](TCalendar& client) {
             client.EventDoc = TxdataNode::CreateNamed(u"feed");
             client.CalendarDoc = TxdataNode::CreateNamed(u"feed");
             client.SaveCache(client.CacheName);
         },
         true, true},
        {"the cache gone", "Jane@calendar.test", nullptr, false, true},
    };
    const std::string events = ReadFileBytes(CachePath(".xml")), calendars = ReadFileBytes(CachePath("-cat.xml"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteFileAtomic(CachePath(".xml"), events);
        WriteFileAtomic(CachePath("-cat.xml"), calendars);
        if (!c.whole) RemoveFile(CachePath(".xml"));
        http.Requests.clear();
        auto client = FreshClient();
        client->ReadCacheAhead(c.aheadFor);
        if (c.between) c.between(*client);
        EXPECT_EQ(client->LoadCache(false, false), c.whole);
        EXPECT_EQ(shown(*client), c.empty ? std::vector<std::string>() : synced);
        EXPECT_TRUE(http.Requests.empty());
    }
}

TEST_F(CalendarCache, MissingFileRunsASync) {
    ScriptTwoCalendars();
    calendar.Sync(EncodeDate(2008, 3, 15));
    RemoveFile(CachePath("-cat.xml"));
    http.Requests.clear();
    statuses.clear();

    auto fresh = FreshClient();
    fresh->LoadCache();
    EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
    ASSERT_FALSE(http.Requests.empty());
    EXPECT_NE(http.Requests[0].Url.find(kSignInPath), std::string::npos);
    EXPECT_TRUE(FileExists(CachePath("-cat.xml")));
    EXPECT_EQ(fresh->Events.size(), 2u);
}

// What a damaged file holds: cut short where what is left still parses, cut inside a tag, not
// XML at all, empty.
struct DamagedCase {
    const char* name;
    std::string suffix;
    size_t keep;  // bytes of the good file kept; npos: the file becomes `text`
    std::string text;
};

std::vector<DamagedCase> DamagedCases() {
    return {{"events cut after whole entries", ".xml", 0, {}},
            {"events cut inside a tag", ".xml", 1, {}},
            {"calendar list not XML", "-cat.xml", std::string::npos, "garbage \x01\x02 not a document"},
            {"calendar list empty", "-cat.xml", std::string::npos, ""},
            {"events cut before the root closes", ".xml", std::string::npos, "<feed><entry><title>cut off"}};
}

class CalendarCacheDamaged : public CalendarCache {
protected:
    // Syncs, then damages one file as the case says; returns the good file's bytes.
    std::string Damage(const DamagedCase& c) {
        const std::string good = CacheBytes(c.suffix);
        std::string bad = c.text;
        if (c.keep == 0) bad = good.substr(0, good.rfind("<entry>"));  // whole entries, then the end is gone
        else if (c.keep == 1) bad = good.substr(0, good.rfind("</title>") + 4);
        WriteFileAtomic(CachePath(c.suffix), bad);
        return good;
    }
};

TEST_F(CalendarCacheDamaged, ReachableServiceReplacesTheDamagedFileLikeAMissingOne) {
    for (const DamagedCase& c : DamagedCases()) {
        SCOPED_TRACE(c.name);
        ScriptTwoCalendars();
        calendar.Sync(EncodeDate(2008, 3, 15));
        const std::string good = Damage(c);
        http.Requests.clear();
        statuses.clear();

        auto fresh = FreshClient();
        fresh->LoadCache();
        EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
        EXPECT_FALSE(http.Requests.empty());
        EXPECT_EQ(CacheBytes(c.suffix), good) << "the sync wrote the file whole again";
        EXPECT_EQ(fresh->Events.size(), 2u);
        EXPECT_FALSE(fresh->CacheDamaged);
    }
}

TEST_F(CalendarCacheDamaged, UnreachableServiceSaysTheCacheIsDamagedAndLoadsNoPartOfIt) {
    for (const DamagedCase& c : DamagedCases()) {
        SCOPED_TRACE(c.name);
        ScriptTwoCalendars();
        calendar.Sync(EncodeDate(2008, 3, 15));
        Damage(c);
        http.Unreachable(kHost);
        statuses.clear();

        auto fresh = FreshClient();
        fresh->LoadCache();
        ASSERT_FALSE(statuses.empty());
        EXPECT_EQ(statuses.back(), kStatusCacheDamaged);
        EXPECT_TRUE(fresh->CacheDamaged);
        if (c.suffix == ".xml") {
            EXPECT_TRUE(fresh->Events.empty()) << "no events from a cut file";
        }
        // A later sync that fails says so again; one that succeeds clears it.
        statuses.clear();
        fresh->Sync(EncodeDate(2008, 3, 15));
        EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusSyncException, kStatusCacheDamaged));
        // A refused sign-in is what the user must mend: its text is the last word.
        http.ClearScript();
        http.Answer(kSignInPath, "Error=BadAuthentication\n", 403);
        statuses.clear();
        fresh->Sync(EncodeDate(2008, 3, 15));
        EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusSyncAuthFailed));
        EXPECT_TRUE(fresh->CacheDamaged);
        http.ClearScript();
        ScriptTwoCalendars();
        statuses.clear();
        fresh->Sync(EncodeDate(2008, 3, 15));
        EXPECT_THAT(statuses, ElementsAre(kStatusSyncing, kStatusClose));
        EXPECT_FALSE(fresh->CacheDamaged);
        http.ClearScript();
    }
}

TEST_F(CalendarCache, ReleasedFeedTreeKeepsTheEventsAndTheNextSyncWritesAWholeCache) {
    ScriptTwoCalendars();
    calendar.Sync(EncodeDate(2008, 3, 15));
    const std::string cached = CacheBytes(".xml");
    auto fresh = FreshClient();
    fresh->LoadCache();
    const std::vector<std::u16string> titles = TitlesOf(*fresh);

    fresh->ReleaseEventDoc();
    EXPECT_EQ(fresh->EventEntries, nullptr);
    EXPECT_EQ(fresh->EventDoc->ChildCount(), 0u);
    EXPECT_EQ(TitlesOf(*fresh), titles);
    EXPECT_TRUE(HasEventsOn(fresh->Events, fresh->Events[0].Event.StartTime));
    ASSERT_NE(fresh->CalendarEntries, nullptr) << "the calendar list stays for the next sync";

    // The next sync fetches a tree of its own: the cache it writes is whole again.
    fresh->Sync(EncodeDate(2008, 3, 15));
    EXPECT_EQ(CacheBytes(".xml"), cached);
    EXPECT_EQ(TitlesOf(*fresh), titles);
}

TEST_F(CalendarCache, ReleaseDuringASyncLeavesTheRunAlone) {
    ScriptTwoCalendars();
    // A status report lets messages run: one that asks for the release lands inside the run.
    calendar.OnStatus = [this](TCalendar& client, const std::string& message) {
        statuses.push_back(message);
        client.ReleaseEventDoc();
    };
    calendar.Sync(EncodeDate(2008, 3, 15));
    ASSERT_NE(calendar.EventEntries, nullptr);
    EXPECT_EQ(calendar.EventEntries->Count(), 2u);
    EXPECT_EQ(calendar.Events.size(), 2u);
}

TEST_F(CalendarCache, SaveCacheWritesBothTreesAsCrLfLines) {
    calendar.EventDoc->LoadFromBytes("<feed a='1'><entry><title>T</title></entry></feed>");
    calendar.CalendarDoc->LoadFromBytes("<feed><entry><id>c</id></entry></feed>");
    calendar.SaveCache("named");
    const std::string events = ReadFileBytes(folder.File(u"named.xml"));
    EXPECT_EQ(events, "<feed a=\"'1'\">\r\n        <entry>\r\n                <title>\r\n                  T\r\n"
                      "                </title>\r\n        </entry>\r\n</feed>\r\n");
    EXPECT_NE(ReadFileBytes(folder.File(u"named-cat.xml")).find("<id>\r\n                  c\r\n"), std::string::npos);
}

// The start-up's lean load (each entry made into its records and let go as the parse meets it)
// gives what the whole-tree load gives, from a cache with CR LF or LF line ends; a damaged file
// counts as missing for both (the load syncs), and a record that cannot be made raises from
// both alike, leaving the client as it was.
TEST_F(CalendarCache, LeanLoadGivesTheWholeLoadsEventsFromEitherLineEnd) {
    ScriptTwoCalendars();
    calendar.Sync(EncodeDate(2008, 3, 15));
    const std::string crlf = CacheBytes(".xml");
    std::string lf;
    for (char c : crlf)
        if (c != '\r') lf += c;
    std::string badDate = crlf;
    badDate.replace(badDate.find("2008-03-16T08:15"), 10, "2008-13-16");

    struct Case {
        const char* name;
        std::string file;
        bool raises;
        bool syncs;  // the file counts as damaged
    };
    const Case cases[] = {
        {"CR LF", crlf, false, false},
        {"LF", lf, false, false},
        {"a month 13", badDate, true, false},
        {"cut after whole entries", crlf.substr(0, crlf.rfind("<entry>")), false, true},
        {"cut inside an entry", crlf.substr(0, crlf.rfind("</title>") + 4), false, true},
        {"no root close", crlf.substr(0, crlf.rfind("</feed>")), false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::unique_ptr<TCalendar>> clients;
        std::vector<bool> asked;
        for (bool keep : {true, false}) {
            WriteFileAtomic(CachePath(".xml"), c.file);
            http.Requests.clear();
            auto client = FreshClient();
            if (c.raises) {
                EXPECT_THROW(client->LoadCache(keep), EConvertError);
                EXPECT_TRUE(client->Events.empty());
                EXPECT_EQ(client->CalendarEntries, nullptr) << "nothing is replaced";
                continue;
            }
            client->LoadCache(keep);
            asked.push_back(!http.Requests.empty());
            clients.push_back(std::move(client));
        }
        if (c.raises) continue;
        EXPECT_EQ(asked, std::vector<bool>(2, c.syncs));
        const TCalendar& whole = *clients[0];
        const TCalendar& lean = *clients[1];
        ASSERT_EQ(lean.Events.size(), 2u);
        ASSERT_EQ(lean.Events.size(), whole.Events.size());
        for (size_t i = 0; i < whole.Events.size(); ++i) {
            const Tevent& a = whole.Events[i].Event;
            const Tevent& b = lean.Events[i].Event;
            EXPECT_EQ(lean.Events[i].Key(), whole.Events[i].Key());
            EXPECT_EQ(b.Title(), a.Title());
            EXPECT_EQ(b.StartTime, a.StartTime);
            EXPECT_EQ(b.EndTime, a.EndTime);
            EXPECT_EQ(b.Link(), a.Link());
            EXPECT_EQ(b.Color, a.Color);
        }
        if (!c.syncs) {
            EXPECT_EQ(lean.EventEntries, nullptr);
            EXPECT_EQ(lean.EventDoc->ChildCount(), 0u);
        }
        ASSERT_NE(lean.CalendarEntries, nullptr);
        EXPECT_EQ(lean.CalendarEntries->Count(), 2u);
        EXPECT_FALSE(lean.CacheDamaged);
    }
}

TEST_F(CalendarCache, NamesThatCannotNameAFileGetASafeNameInTheFolder) {
    const std::u16string folderPath = folder.Folder();
    const struct {
        std::string name;
        std::string stem;  // empty: derived, checked for its form
    } cases[] = {
        {"jane@calendar.test", "jane@calendar.test"},  // today's name stays: existing caches are found
        {std::string(180, 'a'), std::string(180, 'a')},
        {"../up", ""},
        {"a\\b", ""},
        {"c:x", ""},
        {std::string("nul\0l", 5), ""},
        {"con", ""},  // "con@gmail.com" signs in as the cache name "con"
        {"lpt1.x", ""},
        {"what?", ""},
        {std::string(300, 'j'), ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.size() > 40 ? std::to_string(c.name.size()) + " characters" : c.name);
        const std::string stem = CacheFileStem(folderPath, c.name);
        if (!c.stem.empty()) {
            EXPECT_EQ(stem, c.stem);
            continue;
        }
        EXPECT_LE(stem.size(), 48u + 17u);
        EXPECT_EQ(stem.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789@_-+"),
                  std::string::npos);
        EXPECT_NE(stem, CacheFileStem(folderPath, c.name + "x")) << "the digest keeps names apart";
        calendar.EventDoc->LoadFromBytes("<feed/>");
        calendar.CalendarDoc->LoadFromBytes("<feed/>");
        calendar.SaveCache(c.name);
        EXPECT_TRUE(FileExists(folderPath + Widen(stem + ".xml")));
        EXPECT_TRUE(FileExists(folderPath + Widen(stem + "-cat.xml")));
    }
    // A folder so deep that today's name would not fit the path gets the derived name too.
    const std::u16string deep = folderPath + std::u16string(200, u'd') + u"/";
    EXPECT_NE(CacheFileStem(deep, "jane@calendar.test"), "jane@calendar.test");
}

TEST_F(CalendarCache, AccountWhoseNameCannotNameAFileStillKeepsItsCache) {
    calendar.SetCredentials("../../etc/jane", "x");
    calendar.EventDoc->LoadFromBytes("<feed><entry><title>T</title></entry></feed>");
    calendar.CalendarDoc->LoadFromBytes("<feed/>");
    calendar.SaveCache(calendar.CacheName);
    auto fresh = FreshClient();
    fresh->SetCredentials("../../etc/jane", "x");
    fresh->LoadCache();
    EXPECT_TRUE(http.Requests.empty()) << "both files were found under the derived name";
    EXPECT_EQ(fresh->EventEntries->Count(), 1u);
}

}  // namespace
}  // namespace tessel::testing
