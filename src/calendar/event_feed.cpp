#include "calendar/event_feed.h"

#include "app/colors.h"
#include "app/dates.h"
#include "base/text.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

// Feed texts travel through the 8-bit path of the XML library, one byte per unit.
std::string Read(const TxdataNode& node, std::u16string_view path) { return Narrow(node.ReadValue(path)); }

std::string CleanRead(const TxdataNode& node, std::u16string_view path) { return CleanText(Read(node, path)); }

}  // namespace

std::unique_ptr<TxdataNode> NewFeedRoot() { return TxdataNode::CreateNamed(u"feed"); }

std::string CalendarColorOf(const TxdataList* calendars, std::string_view eventId) {
    if (!calendars) return "$000000";
    const std::string key = CleanText(eventId);
    for (size_t i = 0; i < calendars->Count(); ++i) {
        const TxdataNode& calendar = *calendars->Node(i);
        const std::string src = CleanRead(calendar, u"content/src");
        if (!src.empty() && key.find(src) != std::string::npos) return CleanRead(calendar, u"gCal:color/value");
    }
    return "$000000";
}

std::string AlternateLinkOf(const TxdataNode& entry) {
    for (size_t i = 0; i < entry.ChildCount(); ++i) {
        const TxdataValue* child = entry.Child(i);
        if (!child->IsNode()) continue;
        const auto& link = static_cast<const TxdataNode&>(*child);
        if (!SameTextAscii(link.Name(), u"link")) continue;
        if (CleanText(Narrow(link.GetAttribute(u"rel"))) == "alternate") return CleanText(Narrow(link.GetAttribute(u"href")));
    }
    return {};
}

EventList EventsFromEntries(const TxdataList* entries, const TxdataList* calendars) {
    EventList events;
    if (!entries) return events;
    for (size_t i = 0; i < entries->Count(); ++i) {
        const TxdataNode& entry = *entries->Node(i);
        const std::u16string title = Utf8ToUtf16(CleanRead(entry, u"title"));
        const TColor color = ParseColor(CalendarColorOf(calendars, Read(entry, u"id")));
        const std::string link = AlternateLinkOf(entry);
        for (size_t k = 0; k < entry.ChildCount(); ++k) {
            const TxdataValue* child = entry.Child(k);
            if (!child->IsNode()) continue;
            const auto& when = static_cast<const TxdataNode&>(*child);
            if (!SameTextAscii(when.Name(), u"gd:when")) continue;
            std::string start = CleanText(Narrow(when.GetAttribute(u"startTime")));
            const std::string end = CleanText(Narrow(when.GetAttribute(u"endTime")));
            Tevent event;
            event.AllDay = start.size() <= 10;
            event.StartTime = ParseFeedDateTime(start);
            event.EndTime = ParseFeedDateTime(end);
            event.Title = title;
            event.Link = link;
            event.Color = color;
            events.push_back(EventItem{std::move(start), std::move(event)});
        }
    }
    return events;
}

}  // namespace tessel
