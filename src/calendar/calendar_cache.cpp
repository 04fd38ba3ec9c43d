// The cache: the merged event feeds and the calendar list, one pair of files per account in the
// program's folder, so that the next start shows events before the network answers.
#include "calendar/calendar.h"

#include <optional>

#include "app/app_folder.h"
#include "base/clock.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "calendar/event_feed.h"

namespace tessel {

namespace {

constexpr char kEventsSuffix[] = ".xml";
constexpr char kCalendarsSuffix[] = "-cat.xml";

// The name comes from the account name; a separator in it would put the file elsewhere.
std::u16string CachePath(const std::string& name, const char* suffix) {
    for (char c : name) {
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 32)
            throw EFileError("'" + name + "' cannot name a cache file");
    }
    return AppFolder() + Widen(name + suffix);
}

std::string TreeText(const TxdataNode& tree) {
    std::vector<std::string> lines;
    tree.SaveToLines(lines);
    return JoinLines(lines);
}

struct LoadedTree {
    std::unique_ptr<TxdataNode> Doc;
    std::unique_ptr<TxdataList> Entries;
};

std::optional<LoadedTree> ReadCacheFile(const std::u16string& path) {
    if (!FileExists(path)) return std::nullopt;
    LoadedTree tree{TxdataNode::Create(), nullptr};
    const std::string text = ReadTextAsCrLf(path);
    try {
        tree.Doc->LoadFromBytes(text);
    } catch (const EError& e) {
        throw EError("The cache file \"" + Utf16ToUtf8(path) + "\" is damaged: " + e.what());
    }
    tree.Entries = tree.Doc->SelectNodes(u"entry");
    return tree;
}

}  // namespace

void TCalendar::WriteCacheFiles(const std::string& name, const TxdataNode& events, const TxdataNode& calendars) {
    const std::u16string eventsPath = CachePath(name, kEventsSuffix);
    const std::u16string calendarsPath = CachePath(name, kCalendarsSuffix);
    const std::string eventsText = TreeText(events);
    const std::string calendarsText = TreeText(calendars);
    std::optional<std::string> previousEvents;
    if (FileExists(eventsPath)) previousEvents = ReadFileBytes(eventsPath);

    WriteFileAtomic(eventsPath, eventsText);
    try {
        WriteFileAtomic(calendarsPath, calendarsText);
    } catch (...) {
        // The pair belongs together: put the first file back before the error goes on.
        try {
            if (previousEvents) WriteFileAtomic(eventsPath, *previousEvents);
            else RemoveFile(eventsPath);
        } catch (...) {
        }
        throw;
    }
}

void TCalendar::SaveCache(const std::string& name) { WriteCacheFiles(name, *EventDoc, *CalendarDoc); }

void TCalendar::LoadCache() {
    // Both files are read and parsed before anything is replaced: a damaged one raises and
    // leaves the trees and the event list as they were.
    std::optional<LoadedTree> calendars = ReadCacheFile(CachePath(CacheName, kCalendarsSuffix));
    std::optional<LoadedTree> feeds = ReadCacheFile(CachePath(CacheName, kEventsSuffix));
    EventList events;
    if (feeds) {
        // The calendar list comes first so that the events find their colours.
        const TxdataList* colours = calendars ? calendars->Entries.get() : CalendarEntries.get();
        events = EventsFromEntries(feeds->Entries.get(), colours);
        SortEvents(events);
    }

    if (calendars) {
        CalendarEntries = std::move(calendars->Entries);
        CalendarDoc = std::move(calendars->Doc);
    }
    if (feeds) {
        EventEntries = std::move(feeds->Entries);
        EventDoc = std::move(feeds->Doc);
        Events = std::move(events);
        NextIndex = -1;
    }
    if (!calendars || !feeds) Sync(clock_.Now());
}

}  // namespace tessel
