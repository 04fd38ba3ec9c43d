#include "calendar/event_feed.h"

#include <optional>
#include <vector>

#include "base/colors.h"
#include "base/text.h"
#include "calendar/dates.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

// Feed texts travel through the 8-bit path of the XML library, one byte per unit.
std::string Read(const TxdataNode& node, std::u16string_view path) { return node.ReadValueBytes(path); }

std::string CleanRead(const TxdataNode& node, std::u16string_view path) { return CleanText(Read(node, path)); }

// CleanText(raw) == expected, without building the cleaned text (every link of every
// entry is asked for its rel). expected holds no character up to the blank.
bool CleanedEquals(std::string_view raw, std::string_view expected) {
    size_t k = 0;
    bool ended = false;
    for (size_t i = 0; i < raw.size(); ++i) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c == '\r' && i + 1 < raw.size() && raw[i + 1] == '\n') {
            ++i;
            continue;
        }
        if (c == '\'' || c == '"') continue;
        if (c <= ' ') {
            ended = k > 0;
            continue;
        }
        // A blank between kept characters stays in the cleaned text, and expected has none.
        if (ended || k >= expected.size() || c != static_cast<unsigned char>(expected[k])) return false;
        ++k;
    }
    return k == expected.size();
}

}  // namespace

// The calendar list read once per parse: each calendar's cleaned feed address and colour text,
// with the colour value parsed on first use (a bad colour raises only when an event needs it).
class CalendarColors {
public:
    explicit CalendarColors(const TxdataList* calendars) {
        if (!calendars) return;
        for (size_t i = 0; i < calendars->Count(); ++i) {
            const TxdataNode& calendar = *calendars->Node(i);
            calendars_.push_back({CleanRead(calendar, u"content/src"), CleanRead(calendar, u"gCal:color/value")});
        }
    }

    std::string ColorTextOf(std::string_view eventId) const {
        const Calendar* found = Find(eventId);
        return found ? found->colorText : kNoCalendar;
    }

    TColor ColorOf(std::string_view eventId) {
        Calendar* found = Find(eventId);
        if (!found) return ParseColor(kNoCalendar);
        if (!found->color) found->color = ParseColor(found->colorText);
        return *found->color;
    }

private:
    static constexpr char kNoCalendar[] = "$000000";

    struct Calendar {
        std::string src;
        std::string colorText;
        std::optional<TColor> color;
    };

    Calendar* Find(std::string_view eventId) {
        return const_cast<Calendar*>(static_cast<const CalendarColors*>(this)->Find(eventId));
    }
    const Calendar* Find(std::string_view eventId) const {
        if (calendars_.empty()) return nullptr;
        const std::string key = CleanText(eventId);
        for (const auto& calendar : calendars_)
            if (!calendar.src.empty() && key.find(calendar.src) != std::string::npos) return &calendar;
        return nullptr;
    }

    std::vector<Calendar> calendars_;
};

std::unique_ptr<TxdataNode> NewFeedRoot() { return TxdataNode::CreateNamed(u"feed"); }

std::string CalendarColorOf(const TxdataList* calendars, std::string_view eventId) {
    return CalendarColors(calendars).ColorTextOf(eventId);
}

std::string AlternateLinkOf(const TxdataNode& entry) {
    for (size_t i = 0; i < entry.ChildCount(); ++i) {
        const TxdataValue* child = entry.Child(i);
        if (!child->IsNode()) continue;
        const auto& link = static_cast<const TxdataNode&>(*child);
        if (!SameTextAscii(link.Name(), u"link")) continue;
        if (CleanedEquals(link.GetAttributeBytes(u"rel"), "alternate")) return CleanText(link.GetAttributeBytes(u"href"));
    }
    return {};
}

EventsMaker::EventsMaker(const TxdataList* calendars) : colors_(std::make_unique<CalendarColors>(calendars)) {}

EventsMaker::~EventsMaker() = default;

void EventsMaker::Add(const TxdataNode& entry) {
    const std::u16string title = Utf8ToUtf16(CleanRead(entry, u"title"));
    const TColor color = colors_->ColorOf(Read(entry, u"id"));
    const std::string link = AlternateLinkOf(entry);
    for (size_t k = 0; k < entry.ChildCount(); ++k) {
        const TxdataValue* child = entry.Child(k);
        if (!child->IsNode()) continue;
        const auto& when = static_cast<const TxdataNode&>(*child);
        if (!SameTextAscii(when.Name(), u"gd:when")) continue;
        const std::string start = CleanText(when.GetAttributeBytes(u"startTime"));
        const std::string end = CleanText(when.GetAttributeBytes(u"endTime"));
        Tevent event;
        event.AllDay = start.size() <= 10;
        event.StartTime = ParseFeedDateTime(start);
        event.EndTime = ParseFeedDateTime(end);
        event.Texts = TeventTexts(start, title, link);
        event.Color = color;
        events_.push_back(EventItem{std::move(event)});
    }
}

EventList EventsFromEntries(const TxdataList* entries, const TxdataList* calendars) {
    if (!entries) return {};
    EventsMaker maker(calendars);
    maker.Events().reserve(entries->Count());
    for (size_t i = 0; i < entries->Count(); ++i) maker.Add(*entries->Node(i));
    return std::move(maker.Events());
}

}  // namespace tessel
