#include "calendar/event.h"

#include "calendar/balloon_sink.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

#include "base/text.h"
#include "calendar/locale_format.h"

namespace tessel {

namespace {

unsigned char FoldUpper(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? u - ('a' - 'A') : u;
}

void QuickSort(EventList& events, int lo, int hi) {
    while (lo < hi) {
        int i = lo, j = hi;
        // Swaps move the records' text blocks, never free them: the pivot's text stays put.
        const std::string_view pivot = events[size_t((lo + hi) / 2)].Key();
        do {
            while (CompareKeys(events[size_t(i)].Key(), pivot) < 0) ++i;
            while (CompareKeys(events[size_t(j)].Key(), pivot) > 0) --j;
            if (i <= j) {
                if (i != j) std::swap(events[size_t(i)], events[size_t(j)]);
                ++i;
                --j;
            }
        } while (i <= j);
        // Both parts are sorted independently, so the order in which they are done does not
        // change the result; the smaller one is recursed into, the larger one looped on.
        if (j - lo < hi - i) {
            if (lo < j) QuickSort(events, lo, j);
            lo = i;
        } else {
            if (i < hi) QuickSort(events, i, hi);
            hi = j;
        }
    }
}

}  // namespace

// The block: the three lengths, then the title (UTF-16, at an even offset), the key and the link.
struct TeventTexts::Header {
    uint32_t KeySize;
    uint32_t TitleSize;
    uint32_t LinkSize;

    size_t Bytes() const { return sizeof(Header) + TitleSize * sizeof(char16_t) + KeySize + LinkSize; }
    const char16_t* TitleData() const { return reinterpret_cast<const char16_t*>(this + 1); }
    const char* KeyData() const { return reinterpret_cast<const char*>(TitleData() + TitleSize); }
    const char* LinkData() const { return KeyData() + KeySize; }
};

TeventTexts::TeventTexts(std::string_view key, std::u16string_view title, std::string_view link) {
    if (key.empty() && title.empty() && link.empty()) return;
    constexpr size_t kMax = std::numeric_limits<uint32_t>::max() / 4;
    if (key.size() > kMax || title.size() > kMax || link.size() > kMax) throw std::length_error("event text too long");
    const Header header{uint32_t(key.size()), uint32_t(title.size()), uint32_t(link.size())};
    auto* block = static_cast<Header*>(::operator new(header.Bytes()));
    *block = header;
    char* at = reinterpret_cast<char*>(block + 1);
    if (!title.empty()) std::memcpy(at, title.data(), title.size() * sizeof(char16_t));
    at += title.size() * sizeof(char16_t);
    if (!key.empty()) std::memcpy(at, key.data(), key.size());
    if (!link.empty()) std::memcpy(at + key.size(), link.data(), link.size());
    block_ = block;
}

TeventTexts::TeventTexts(const TeventTexts& other) {
    if (!other.block_) return;
    const size_t bytes = other.block_->Bytes();
    block_ = static_cast<Header*>(::operator new(bytes));
    std::memcpy(static_cast<void*>(block_), other.block_, bytes);
}

TeventTexts& TeventTexts::operator=(const TeventTexts& other) {
    if (this != &other) *this = TeventTexts(other);
    return *this;
}

TeventTexts& TeventTexts::operator=(TeventTexts&& other) noexcept {
    if (this != &other) {
        ::operator delete(block_);
        block_ = std::exchange(other.block_, nullptr);
    }
    return *this;
}

TeventTexts::~TeventTexts() { ::operator delete(block_); }

std::string_view TeventTexts::Key() const {
    return block_ ? std::string_view(block_->KeyData(), block_->KeySize) : std::string_view();
}

std::u16string_view TeventTexts::Title() const {
    return block_ ? std::u16string_view(block_->TitleData(), block_->TitleSize) : std::u16string_view();
}

std::string_view TeventTexts::Link() const {
    return block_ ? std::string_view(block_->LinkData(), block_->LinkSize) : std::string_view();
}

int CompareKeys(std::string_view a, std::string_view b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t k = 0; k < n; ++k) {
        // Keys share long prefixes (a date and a time): equal bytes need no folding.
        if (a[k] == b[k]) continue;
        const unsigned char x = FoldUpper(a[k]), y = FoldUpper(b[k]);
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortEvents(EventList& events) {
    if (events.empty()) return;
    QuickSort(events, 0, int(events.size()) - 1);
}

DayRun EventsOfDay(const EventList& events, TDateTime day) {
    const TDateTime date = DateOf(day);
    const auto first = std::partition_point(events.begin(), events.end(),
                                            [&](const EventItem& item) { return DateOf(item.Event.StartTime) < date; });
    const auto last = std::partition_point(first, events.end(),
                                           [&](const EventItem& item) { return DateOf(item.Event.StartTime) == date; });
    return DayRun{first, last};
}

bool HasEventsOn(const EventList& events, TDateTime day) { return !EventsOfDay(events, day).empty(); }

std::u16string DayText(const EventList& events, TDateTime day, char16_t timeSeparator) {
    std::u16string text;
    bool first = true;
    const DayRun run = EventsOfDay(events, day);
    for (auto it = run.first; it != run.last; ++it) {
        const Tevent& e = it->Event;
        if (!first) text += u'\r';
        first = false;
        if (e.AllDay) {
            text += u"All Day - ";
        } else {
            text += FormatTimeAmPm(e.StartTime, timeSeparator);
            text += u'-';
            text += FormatTimeAmPm(e.EndTime, timeSeparator);
            text += u" - ";
        }
        text += e.Title();
    }
    return first ? u"No Event" : text;
}

int FindNextEventIndex(const EventList& events, TDateTime now) {
    const double oneMillisecond = 1.0 / kMSecsPerDay;
    for (size_t i = 0; i < events.size(); ++i) {
        const Tevent& e = events[i].Event;
        if (e.AllDay || e.Notified) continue;
        if (e.StartTime - now >= oneMillisecond * (1 - 1e-6)) return int(i);
    }
    return -1;
}

std::u16string ReminderText(const ILocaleFormat& locale, const Tevent& event) {
    return FormatDateTimeText(locale, event.StartTime) + u'-' + FormatDateTimeText(locale, event.EndTime);
}

std::string CleanText(std::string_view text) {
    // What lies before the first character that is neither blank nor a quote (or after the last
    // one) goes either way, quotes and CR LF pairs removed, blanks trimmed: the ends are cut
    // first, and only the rest is looked through.
    const auto edge = [](char c) { return static_cast<unsigned>(c) <= ' ' || c == '\'' || c == '"'; };
    size_t first = 0, last = text.size();
    while (first < last && edge(text[first])) ++first;
    while (last > first && edge(text[last - 1])) --last;
    const std::string_view middle = text.substr(first, last - first);
    if (middle.find_first_of("\r'\"") == std::string_view::npos) return std::string(middle);
    std::string out;
    out.reserve(middle.size());
    for (size_t i = 0; i < middle.size(); ++i) {
        const char c = middle[i];
        if (c == '\r' && i + 1 < middle.size() && middle[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') continue;
        out.push_back(c);
    }
    return out;
}

TDateTime NextEventStart(const EventList& events, TDateTime now, int32_t& nextIndex) {
    nextIndex = FindNextEventIndex(events, now);
    if (nextIndex < 0) return now + 3;
    return events[size_t(nextIndex)].Event.StartTime;
}

void NotifyEventAt(EventList& events, int32_t index, const ILocaleFormat& locale, IBalloonSink& balloons) {
    if (index < 0 || size_t(index) >= events.size()) return;
    Tevent& event = events[size_t(index)].Event;
    if (event.Notified) return;
    const std::u16string text = ReminderText(locale, event);
    event.Notified = true;
    balloons.ShowBalloon(text, std::u16string(event.Title()), 50);
}

}  // namespace tessel
