// The cache: the merged event feeds and the calendar list, one pair of files per account in the
// cache folder the owner names, so that the next start shows events before the network answers.
// The files are named after the account (CacheFileStem), or after a safe name made from it when
// the account's name cannot name a file there.
#include "calendar/calendar.h"

#include <exception>
#include <functional>
#include <optional>

#include "base/clock.h"
#include "base/crlf_pieces.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/file_names.h"
#include "base/sha256.h"
#include "base/text.h"
#include "calendar/event_feed.h"

namespace tessel {

namespace {

constexpr char kEventsSuffix[] = ".xml";
constexpr char kCalendarsSuffix[] = "-cat.xml";

// The longest name a cache file takes on its way: the calendar list's file while it is written.
constexpr char kLongestCacheSuffix[] = "-cat.xml.tmp";
// The longest path the file functions take without the long-path prefix (MAX_PATH less its zero).
constexpr size_t kMaxPathChars = 259;
// The derived name keeps this much of the account name, for whoever looks into the folder.
constexpr size_t kDerivedPrefixChars = 48;

bool IsPlainNameChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '@' || c == '_' ||
           c == '-' || c == '+';
}

}  // namespace

std::string CacheFileStem(const std::u16string& folder, const std::string& name) {
    // Both names: "con.xml" names a device, "con-cat.xml" does not.
    const std::u16string longest = Widen(name + kLongestCacheSuffix);
    if (IsValidFileName(Widen(name + kEventsSuffix)) && IsValidFileName(longest) &&
        folder.size() + longest.size() <= kMaxPathChars)
        return name;
    // The account name's plain characters and a digest of the whole name, which keeps two names
    // that differ only in what was dropped apart.
    std::string stem;
    for (char c : name.substr(0, kDerivedPrefixChars)) stem += IsPlainNameChar(c) ? c : '_';
    Sha256 hash;
    hash.Update(name);
    return stem + "-" + DigestHex(hash.Finish()).substr(0, 16);
}

namespace {

std::u16string CachePath(const std::u16string& folder, const std::string& name, const char* suffix) {
    return folder + Widen(CacheFileStem(folder, name) + suffix);
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

// The program writes its caches whole, so the last thing in a file is its root's closing tag; a
// file that stops before it was cut short, even when what is left still parses. A root without
// children may close itself ("<feed/>"); taken counts the children a lean load let go.
bool EndsWithRootClose(std::string_view text, const TxdataNode& doc, size_t taken) {
    const std::u16string& root = doc.Name();
    size_t end = text.size();
    while (end > 0 && (text[end - 1] == ' ' || text[end - 1] == '\r' || text[end - 1] == '\n' || text[end - 1] == '\t'))
        --end;
    const std::string close = "</" + Utf16ToUtf8(root) + ">";
    if (root.empty()) return false;
    if (doc.ChildCount() + taken == 0 && end >= 2 && text.compare(end - 2, 2, "/>") == 0) return true;
    return end >= close.size() && text.compare(end - close.size(), close.size(), close) == 0;
}

// A missing file and a damaged one both come back empty; damaged is set for the latter. With
// events, the entries are made into its records as the parse meets them and let go at once (a
// large cache's tree is several times the size of its events), and the tree keeps the rest; a
// record that cannot be made raises, after the file has been read whole and found sound, as
// the records made from a whole tree would.
std::optional<LoadedTree> ReadCacheFile(const std::u16string& path, bool& damaged, EventsMaker* events = nullptr) {
    if (!FileExists(path)) return std::nullopt;
    LoadedTree tree{TxdataNode::Create(), nullptr};
    std::exception_ptr notMade;
    size_t taken = 0;
    const std::function<bool(const TxdataNode&)> take = [&](const TxdataNode& child) {
        if (!SameTextAscii(child.Name(), u"entry")) return false;
        if (!notMade) {
            try {
                events->Add(child);
            } catch (...) {
                notMade = std::current_exception();
            }
        }
        ++taken;
        return true;
    };
    try {
        bool closed;
        if (events) {
            // Read in pieces: the file's text is never held whole beside the events.
            CrLfPieces pieces(OpenFileReader(path, kMaxReadFileBytes));
            tree.Doc->LoadFromPieces(pieces, take);
            const std::string tail = pieces.TailBeforeBlanks(Utf16ToUtf8(tree.Doc->Name()).size() + 3);
            closed = EndsWithRootClose(tail, *tree.Doc, taken);
        } else {
            const FileBlock text = ReadCrLfBlock(path);
            tree.Doc->LoadFromBytes(text.View());
            closed = EndsWithRootClose(text.View(), *tree.Doc, taken);
        }
        if (!closed) {
            damaged = true;
            return std::nullopt;
        }
    } catch (const EError&) {
        damaged = true;
        return std::nullopt;
    }
    if (notMade) std::rethrow_exception(notMade);
    tree.Entries = tree.Doc->SelectNodes(u"entry");
    return tree;
}

}  // namespace

namespace {

// The root's own lines' indent in the files the program writes, and so an entry's first line.
constexpr std::string_view kEntryIndent = "        ";

// The text of each entry directly under the root, as the program's writer laid it out: from a
// line "<indent><entry" to its own "/>" or the line "<indent></entry>", line ends included.
std::vector<std::string> EntryTexts(std::string_view text) {
    std::vector<std::string> entries;
    size_t pos = 0;
    size_t begin = std::string_view::npos;
    while (pos < text.size()) {
        size_t end = text.find('\n', pos);
        end = end == std::string_view::npos ? text.size() : end + 1;
        std::string_view line = text.substr(pos, end - pos);
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
        if (begin == std::string_view::npos) {
            if (line.starts_with(kEntryIndent) && line.substr(kEntryIndent.size()).starts_with("<entry") &&
                line.size() > kEntryIndent.size() + 6 && std::string_view(">/ ").find(line[kEntryIndent.size() + 6]) !=
                                                             std::string_view::npos) {
                if (line.ends_with("/>")) entries.emplace_back(text.substr(pos, end - pos));
                else begin = pos;
            }
        } else if (line.size() == kEntryIndent.size() + 8 && line.starts_with(kEntryIndent) &&
                   line.ends_with("</entry>")) {
            entries.emplace_back(text.substr(begin, end - begin));
            begin = std::string_view::npos;
        }
        pos = end;
    }
    return entries;
}

// The tree's text with kept entries' text put in before the root's closing line.
std::string WithKeptEntries(std::string text, std::string_view kept, const TxdataNode& tree) {
    if (kept.empty()) return text;
    const std::string root = Utf16ToUtf8(tree.Name());
    const std::string selfClosed = "<" + root + "/>\r\n";
    if (text.ends_with(selfClosed))
        return text.substr(0, text.size() - selfClosed.size()) + "<" + root + ">\r\n" + std::string(kept) + "</" +
               root + ">\r\n";
    const std::string close = "</" + root + ">\r\n";
    if (!text.ends_with(close)) return text;
    text.insert(text.size() - close.size(), kept);
    return text;
}

}  // namespace

void TCalendar::WriteCacheFiles(const std::string& name, const TxdataNode& events, const TxdataNode& calendars,
                                std::string_view keptEntries) {
    DropCacheAhead();
    const std::u16string eventsPath = CachePath(cacheFolder_, name, kEventsSuffix);
    const std::u16string calendarsPath = CachePath(cacheFolder_, name, kCalendarsSuffix);
    const std::string eventsText = WithKeptEntries(TreeText(events), keptEntries, events);
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

TCalendar::PreviousEvents TCalendar::ReadPreviousEvents() const {
    PreviousEvents previous;
    const std::u16string path = CachePath(cacheFolder_, CacheName, kEventsSuffix);
    bool damaged = false;
    std::optional<LoadedTree> tree = ReadCacheFile(path, damaged);
    if (!tree) return previous;
    previous.EntryTexts = EntryTexts(ReadCrLfBlock(path).View());
    // A layout this reader does not know: the entries are written anew from the tree instead.
    if (previous.EntryTexts.size() != (tree->Entries ? tree->Entries->Count() : 0)) previous.EntryTexts.clear();
    tree->Entries.reset();
    previous.Doc = std::move(tree->Doc);
    return previous;
}

void TCalendar::SaveCache(const std::string& name) { WriteCacheFiles(name, *EventDoc, *CalendarDoc); }

// Both files, read and parsed; nothing of the client is touched, so a read ahead may run it on
// another thread.
struct TCalendar::CacheRead {
    std::optional<LoadedTree> Calendars;
    std::optional<LoadedTree> Feeds;
    EventList Events;
    bool Damaged = false;

    // knownCalendars: where the colours come from when the cache has no calendar list.
    CacheRead(const std::u16string& folder, const std::string& name, const TxdataList* knownCalendars,
              bool keepEventDoc) {
        Calendars = ReadCacheFile(CachePath(folder, name, kCalendarsSuffix), Damaged);
        // The calendar list comes first so that the events find their colours.
        EventsMaker maker(Calendars ? Calendars->Entries.get() : knownCalendars);
        Feeds = ReadCacheFile(CachePath(folder, name, kEventsSuffix), Damaged, keepEventDoc ? nullptr : &maker);
        if (!Feeds) return;
        if (keepEventDoc && Feeds->Entries) {
            for (size_t i = 0; i < Feeds->Entries->Count(); ++i) maker.Add(*Feeds->Entries->Node(i));
        }
        Events = std::move(maker.Events());
        SortEvents(Events);
    }
};

void TCalendar::ReadCacheAhead(const std::string& user) {
    DropCacheAhead();
    if (user.empty()) return;
    cacheAheadName_ = CacheNameOf(user);
    cacheAhead_ = std::async(std::launch::async, [folder = cacheFolder_, name = cacheAheadName_] {
        return std::make_unique<CacheRead>(folder, name, nullptr, false);
    });
}

std::unique_ptr<TCalendar::CacheRead> TCalendar::TakeCacheAhead() {
    // Read for another account: not a word of it counts, not even what it raised.
    if (!cacheAhead_.valid() || cacheAheadName_ != CacheName) return nullptr;
    // What it raised is raised here, as the same read would raise it now.
    std::unique_ptr<CacheRead> read = cacheAhead_.get();
    // Without a list of its own, its colours would now come from the one that came since.
    if (!read->Calendars && CalendarEntries) return nullptr;
    return read;
}

void TCalendar::DropCacheAhead() {
    if (!cacheAhead_.valid()) return;
    cacheAhead_.wait();
    cacheAhead_ = {};
}

bool TCalendar::LoadCache(bool keepEventDoc, bool syncWhenMissing) {
    // Both files are read and parsed before anything is replaced. A damaged one is left alone,
    // as a missing one is: the sync below replaces it when the service answers.
    std::unique_ptr<CacheRead> read = keepEventDoc ? nullptr : TakeCacheAhead();
    DropCacheAhead();
    if (!read) read = std::make_unique<CacheRead>(cacheFolder_, CacheName, CalendarEntries.get(), keepEventDoc);
    std::optional<LoadedTree>& calendars = read->Calendars;
    std::optional<LoadedTree>& feeds = read->Feeds;
    EventList& events = read->Events;
    const bool damaged = read->Damaged;

    if (calendars) {
        CalendarEntries = std::move(calendars->Entries);
        CalendarDoc = std::move(calendars->Doc);
    }
    if (feeds) {
        EventEntries = keepEventDoc ? std::move(feeds->Entries) : nullptr;
        EventDoc = keepEventDoc ? std::move(feeds->Doc) : TxdataNode::Create();
        Events = std::move(events);
        ++EventsGeneration;
    }
    if (damaged) CacheDamaged = true;
    if (syncWhenMissing && (!calendars || !feeds)) Sync(clock_.Now());
    return calendars && feeds;
}

}  // namespace tessel
