// The reader's components: VCALENDAR (one or several in a file), VEVENT, VTIMEZONE with STANDARD
// and DAYLIGHT. Every other component and property is passed over. A damaged line, value or
// component costs only itself and leaves a warning; the file is refused only when it is not
// iCalendar, is beyond a limit, or holds nothing readable.
#include <algorithm>
#include <unordered_map>

#include "ical/content_line.h"
#include "ical/ical.h"
#include "ical/ical_internal.h"
#include "ical/values.h"

namespace tessel::ical {

namespace {

constexpr size_t kMaxDepth = 100;
constexpr size_t kMaxDates = 100000;  // RDATEs, and EXDATEs, of one event
constexpr size_t kMaxZones = 1000;

// Which of several VEVENTs with one UID (and RECURRENCE-ID) is the latest.
struct Revision {
    int64_t Sequence = 0;
    int64_t Stamp = 0;  // LAST-MODIFIED, else DTSTAMP
};

struct DefinedTimeZone {
    std::string Tzid;
    std::vector<Observance> Observances;
};

enum class Ended { Own, Outer, File };

class Reader {
public:
    Reader(std::string_view bytes, std::string_view fileName, Calendar& calendar)
        : lines_(bytes), bytes_(bytes), fileName_(fileName), calendar_(calendar) {}

    void Read();

private:
    [[noreturn]] void Fail(uint32_t line, std::string reason) const {
        throw EIcalError(fileName_, line, std::move(reason));
    }
    void Warn(uint32_t line, const std::string& reason, std::string_view effect);
    void Warn(const ValueError& e, std::string_view effect) { Warn(line_.Line, e.Reason, effect); }

    bool Next();
    template <class Property, class Child>
    Ended Body(std::string name, Property property, Child child);
    void Skip();

    TextRef KeepText(std::string_view value, bool unescape);
    Time TimeOf(const ContentLine& line);
    void TimeList(const ContentLine& line, std::vector<Time>* times, std::vector<RecurDate>* dates, size_t had);
    int16_t ZoneRef(std::string_view tzid);

    void ReadCalendarBody();
    void ReadEvent();
    void ReadTimeZone();
    void ReadObservance(Observance& observance, bool& complete);
    void ResolveZones();
    void KeepLatestRevisions();

    LineReader lines_;
    std::string_view bytes_;
    std::string_view fileName_;
    Calendar& calendar_;
    ContentLine line_;
    bool held_ = false;              // line_ is to be read again (an END that closes an outer component)
    std::vector<std::string> open_;  // the components open, outermost first, upper case
    int quiet_ = 0;                  // inside components passed over: their damage is not ours to report
    Warning firstProblem_;           // the reason alone, for a file left with nothing readable
    std::vector<Revision> revisions_;
    std::vector<DefinedTimeZone> defined_;
    std::vector<std::string> zoneNames_;
    std::unordered_map<std::string, int16_t> zoneIndex_;
    std::vector<uint32_t> zoneLines_;
};

void Reader::Warn(uint32_t line, const std::string& reason, std::string_view effect) {
    if (quiet_ > 0) return;
    if (firstProblem_.Reason.empty()) firstProblem_ = {line, reason};
    ++calendar_.WarningCount;
    if (calendar_.Warnings.size() < kMaxWarnings) calendar_.Warnings.push_back({line, reason + std::string(effect)});
}

// The next content line into line_, damaged ones passed over with a warning; false at the end.
bool Reader::Next() {
    if (held_) {
        held_ = false;
        return true;
    }
    while (lines_.Next(line_)) {
        if (!line_.Problem) return true;
        Warn(line_.Line, line_.Problem, ", the line is skipped");
    }
    return false;
}

// The lines of the component just begun, up to its END: property() for each property line,
// child() for each BEGIN. An END of a component around this one ends this one too (its own END
// was left out) and is read again by that component.
template <class Property, class Child>
Ended Reader::Body(std::string name, Property property, Child child) {
    const uint32_t begun = line_.Line;
    if (open_.size() >= kMaxDepth) Fail(begun, "components nested too deeply");
    open_.push_back(std::move(name));
    Ended how = Ended::File;
    while (how == Ended::File && Next()) {
        const std::string_view n = line_.Name;
        if (n == "BEGIN") {
            child();
        } else if (n == "END") {
            if (SameUpper(line_.Value, open_.back())) {
                how = Ended::Own;
            } else if (std::any_of(open_.begin(), open_.end() - 1, [&](const std::string& o) { return SameUpper(line_.Value, o); })) {
                Warn(line_.Line, "END:" + std::string(line_.Value) + " with " + open_.back() + " still open",
                     ", that ends it too");
                held_ = true;
                how = Ended::Outer;
            } else {
                Warn(line_.Line, "END:" + std::string(line_.Value) + " inside " + open_.back(), ", ignored");
            }
        } else {
            property();
        }
    }
    if (how == Ended::File)
        Warn(begun, "the file ends inside " + open_.back() + " begun here", open_.size() > 1 ? ", it is left out" : "");
    open_.pop_back();
    return how;
}

// Passes over the component just begun and everything in it.
void Reader::Skip() {
    std::string name(line_.Value);
    for (char& c : name) c = c >= 'a' && c <= 'z' ? char(c - 32) : c;
    ++quiet_;
    Body(std::move(name), [] {}, [&] { Skip(); });
    --quiet_;
}

TextRef Reader::KeepText(std::string_view value, bool unescape) {
    std::string& texts = calendar_.Texts;
    const size_t offset = texts.size();
    AppendText(texts, value, unescape);
    if (texts.size() > UINT32_MAX) Fail(line_.Line, "the file is too large");
    return {uint32_t(offset), uint32_t(texts.size() - offset)};
}

int16_t Reader::ZoneRef(std::string_view tzid) {
    std::string name(tzid);
    const auto found = zoneIndex_.find(name);
    if (found != zoneIndex_.end()) return found->second;
    if (zoneNames_.size() >= kMaxZones) throw ValueError{"too many time zones"};
    const auto index = int16_t(zoneNames_.size());
    zoneNames_.push_back(name);
    zoneLines_.push_back(line_.Line);
    zoneIndex_.emplace(std::move(name), index);
    return index;
}

Time Reader::TimeOf(const ContentLine& line) {
    bool strayZ = false;
    Time t = ParseTime(line.Value, SameUpper(line.ValueType, "DATE"), &strayZ);
    if (strayZ) Warn(line.Line, "a date with a stray 'Z' '" + std::string(line.Value) + "'", ", read as the date");
    if (t.Kind == TimeKind::Floating && !line.Tzid.empty()) {
        t.Kind = TimeKind::Zoned;
        t.ZoneIndex = ZoneRef(line.Tzid);
    }
    return t;
}

// The dates of an RDATE (into dates) or an EXDATE (into times), had of them read before.
void Reader::TimeList(const ContentLine& line, std::vector<Time>* times, std::vector<RecurDate>* dates, size_t had) {
    const bool date = SameUpper(line.ValueType, "DATE");
    const bool period = SameUpper(line.ValueType, "PERIOD");
    std::vector<RecurDate> read;
    std::string_view rest = line.Value;
    while (!rest.empty()) {
        const size_t comma = rest.find(',');
        std::string_view item = rest.substr(0, comma);
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
        if (item.empty()) continue;
        if (had + read.size() >= kMaxDates) throw ValueError{"too many dates"};
        const size_t slash = item.find('/');
        if (slash != std::string_view::npos && !dates) throw ValueError{"a period where a date-time belongs"};
        ContentLine one = line;
        one.Value = item.substr(0, slash);
        one.ValueType = date ? "DATE" : "";
        RecurDate rd;
        rd.Start = TimeOf(one);
        if (slash != std::string_view::npos) {
            const std::string_view second = item.substr(slash + 1);
            if (!second.empty() && (second[0] == 'P' || second[0] == '+' || second[0] == '-')) {
                rd.HasDuration = true;
                rd.Length = ParseDuration(second);
            } else {
                one.Value = second;
                one.ValueType = {};
                rd.HasEnd = true;
                rd.End = TimeOf(one);
            }
        } else if (period) {
            throw ValueError{"a period without its end"};
        }
        read.push_back(rd);
    }
    if (dates) dates->insert(dates->end(), read.begin(), read.end());
    else
        for (const RecurDate& rd : read) times->push_back(rd.Start);
}

void Reader::ReadEvent() {
    Event event;
    event.Line = line_.Line;
    Revision revision;
    bool hasStart = false;
    std::vector<Recur> rules;
    std::vector<RecurDate> rdates;
    std::vector<Time> exdates;
    const Ended how = Body("VEVENT", [&] {
        const std::string_view n = line_.Name;
        try {
            if (n == "DTSTART") {
                hasStart = false;
                event.Start = TimeOf(line_);
                hasStart = true;
            } else if (n == "DTEND") {
                event.End = TimeOf(line_);
                event.HasEnd = true;
            } else if (n == "DURATION") {
                event.Length = ParseDuration(line_.Value);
                event.HasDuration = true;
            } else if (n == "SUMMARY") {
                event.Summary = KeepText(line_.Value, true);
            } else if (n == "URL") {
                event.Url = KeepText(line_.Value, false);
            } else if (n == "UID") {
                event.Uid = KeepText(line_.Value, false);
            } else if (n == "RRULE") {
                if (rules.size() >= 16) throw ValueError{"too many RRULEs"};
                std::string note;
                rules.push_back(ParseRecur(line_.Value, &note));
                if (!note.empty()) Warn(line_.Line, note, "");
            } else if (n == "RDATE") {
                TimeList(line_, nullptr, &rdates, rdates.size());
            } else if (n == "EXDATE") {
                TimeList(line_, &exdates, nullptr, exdates.size());
            } else if (n == "RECURRENCE-ID") {
                event.RecurrenceId = TimeOf(line_);
                event.HasRecurrenceId = true;
                event.ThisAndFuture = SameUpper(line_.Range, "THISANDFUTURE");
            } else if (n == "STATUS") {
                event.Cancelled = SameUpper(line_.Value, "CANCELLED");
            } else if (n == "SEQUENCE") {
                int64_t s = 0;
                for (char c : line_.Value) s = c >= '0' && c <= '9' && s < 1000000000 ? s * 10 + (c - '0') : s;
                revision.Sequence = s;
            } else if (n == "LAST-MODIFIED" || (n == "DTSTAMP" && revision.Stamp == 0)) {
                revision.Stamp = ParseTime(line_.Value, false).Wall;
            }
        } catch (const ValueError& e) {
            if (n == "DTSTART") Warn(e, ", the event is left out");
            else if (n == "LAST-MODIFIED" || n == "DTSTAMP") return;  // only ever a tie-break
            else Warn(e, ", ignored");
        }
    }, [&] { Skip(); });  // VALARM and any other
    if (how == Ended::File || !hasStart) return;  // cut off, or nothing to place on a calendar
    event.FirstRule = uint32_t(calendar_.Rules.size());
    event.RuleCount = uint32_t(rules.size());
    for (Recur& r : rules) calendar_.Rules.push_back(std::move(r));
    event.FirstRDate = uint32_t(calendar_.RDates.size());
    event.RDateCount = uint32_t(rdates.size());
    calendar_.RDates.insert(calendar_.RDates.end(), rdates.begin(), rdates.end());
    event.FirstExDate = uint32_t(calendar_.ExDates.size());
    event.ExDateCount = uint32_t(exdates.size());
    calendar_.ExDates.insert(calendar_.ExDates.end(), exdates.begin(), exdates.end());
    calendar_.Events.push_back(event);
    revisions_.push_back(revision);
}

void Reader::ReadObservance(Observance& observance, bool& complete) {
    observance.Standard = SameUpper(line_.Value, "STANDARD");
    const uint32_t begun = line_.Line;
    bool hasFrom = false, hasTo = false, hasStart = false;
    const Ended how = Body(observance.Standard ? "STANDARD" : "DAYLIGHT", [&] {
        const std::string_view n = line_.Name;
        try {
            if (n == "TZOFFSETFROM") {
                observance.OffsetFrom = ParseOffset(line_.Value);
                hasFrom = true;
            } else if (n == "TZOFFSETTO") {
                observance.OffsetTo = ParseOffset(line_.Value);
                hasTo = true;
            } else if (n == "DTSTART") {
                observance.Start = ParseTime(line_.Value, false).Wall;
                hasStart = true;
            } else if (n == "RRULE") {
                if (observance.Rules.size() >= 16) throw ValueError{"too many RRULEs"};
                observance.Rules.push_back(ParseRecur(line_.Value, nullptr));
            } else if (n == "RDATE") {
                std::vector<Time> dates;
                ContentLine plain = line_;
                plain.Tzid = {};  // an observance's times are its own wall times
                TimeList(plain, &dates, nullptr, observance.Dates.size());
                for (const Time& t : dates) observance.Dates.push_back(t.Wall);
            }
        } catch (const ValueError& e) {
            Warn(e, ", ignored");
        }
    }, [&] { Skip(); });
    complete = how != Ended::File && hasFrom && hasTo && hasStart;
    if (how != Ended::File && !complete)
        Warn(begun, "a time zone's STANDARD or DAYLIGHT without TZOFFSETFROM, TZOFFSETTO or DTSTART", ", ignored");
}

void Reader::ReadTimeZone() {
    const uint32_t begun = line_.Line;
    DefinedTimeZone zone;
    const Ended how = Body("VTIMEZONE", [&] {
        if (std::string_view(line_.Name) == "TZID") zone.Tzid = std::string(line_.Value);
    }, [&] {
        if (!SameUpper(line_.Value, "STANDARD") && !SameUpper(line_.Value, "DAYLIGHT")) return Skip();
        if (zone.Observances.size() >= 1000) Fail(line_.Line, "too many observances in a time zone");
        zone.Observances.emplace_back();
        bool complete = false;
        ReadObservance(zone.Observances.back(), complete);
        if (!complete) zone.Observances.pop_back();
    });
    if (how == Ended::File) return;
    if (zone.Tzid.empty() || zone.Observances.empty()) {
        Warn(begun, "a VTIMEZONE without TZID or observances", ", ignored");
        return;
    }
    defined_.push_back(std::move(zone));
}

void Reader::ReadCalendarBody() {
    Body("VCALENDAR", [&] {
        if (std::string_view(line_.Name) == "X-WR-CALNAME" && calendar_.Name.Size == 0)
            calendar_.Name = KeepText(line_.Value, true);
    }, [&] {
        if (SameUpper(line_.Value, "VEVENT")) ReadEvent();
        else if (SameUpper(line_.Value, "VTIMEZONE")) ReadTimeZone();
        else Skip();
    });
}

void Reader::Read() {
    if (bytes_.size() > kMaxFileBytes)
        Fail(0, "the file is larger than " + std::to_string(kMaxFileBytes >> 20) + " MB");
    // The events' list at its final size at once: growing it would hold two copies for a moment.
    calendar_.Events.reserve(CountEvents(bytes_));
    if (!lines_.Next(line_) || line_.Problem || std::string_view(line_.Name) != "BEGIN" ||
        !SameUpper(line_.Value, "VCALENDAR"))
        Fail(std::max<uint32_t>(line_.Line, 1), "not an iCalendar file (it does not begin with BEGIN:VCALENDAR)");
    ReadCalendarBody();
    // More VCALENDARs may follow (RFC 5545 section 3.4); anything else after one is not read.
    bool toldOfRest = false;
    while (Next()) {
        if (std::string_view(line_.Name) == "BEGIN" && SameUpper(line_.Value, "VCALENDAR")) {
            ReadCalendarBody();
        } else if (!toldOfRest) {
            Warn(line_.Line, "text after END:VCALENDAR", ", ignored");
            toldOfRest = true;
        }
    }
    if (calendar_.Events.empty() && !firstProblem_.Reason.empty()) Fail(firstProblem_.Line, firstProblem_.Reason);
    ResolveZones();
    KeepLatestRevisions();
}

// Each TZID named: its VTIMEZONE, else the platform's zone, else floating.
void Reader::ResolveZones() {
    StepBudget budget{ExpandLimits{}.MaxFileSteps, 0, false};
    std::vector<int16_t> resolved(zoneNames_.size(), -1);
    for (size_t i = 0; i < zoneNames_.size(); ++i) {
        const auto defined = std::find_if(defined_.begin(), defined_.end(), [&](const DefinedTimeZone& z) { return z.Tzid == zoneNames_[i]; });
        std::unique_ptr<Zone> zone = ResolveZone(zoneNames_[i], defined == defined_.end() ? nullptr : &defined->Observances, budget);
        if (!zone) {
            Warn(zoneLines_[i], "unknown time zone '" + zoneNames_[i] + "'", ", read as floating local time");
            continue;
        }
        resolved[i] = int16_t(calendar_.Zones.size());
        calendar_.Zones.push_back(std::move(zone));
    }
    auto fix = [&](Time& t) {
        if (t.Kind != TimeKind::Zoned) return;
        t.ZoneIndex = resolved[size_t(t.ZoneIndex)];
        if (t.ZoneIndex < 0) t.Kind = TimeKind::Floating;
    };
    for (Event& e : calendar_.Events) fix(e.Start), fix(e.End), fix(e.RecurrenceId);
    for (RecurDate& d : calendar_.RDates) fix(d.Start), fix(d.End);
    for (Time& t : calendar_.ExDates) fix(t);
    for (Recur& r : calendar_.Rules) fix(r.Until);
}

// Several VEVENTs with one UID and RECURRENCE-ID are revisions of one: the highest SEQUENCE
// wins, then the latest LAST-MODIFIED or DTSTAMP, then the last in the file. Their rules and
// dates stay in the calendar's lists, unused.
void Reader::KeepLatestRevisions() {
    std::vector<Event>& events = calendar_.Events;
    std::unordered_map<std::string_view, size_t> series;  // UID -> where its series is kept
    std::unordered_map<std::string, size_t> instances;     // UID and RECURRENCE-ID -> where kept
    series.reserve(events.size());
    size_t kept = 0;
    for (size_t i = 0; i < events.size(); ++i) {
        const Event& e = events[i];
        size_t* at = nullptr;
        if (e.Uid.Size > 0 && !e.HasRecurrenceId) {
            const auto [found, added] = series.emplace(calendar_.Text(e.Uid), kept);
            if (!added) at = &found->second;
        } else if (e.Uid.Size > 0) {
            const Time& r = e.RecurrenceId;
            std::string key(calendar_.Text(e.Uid));
            key += '\n' + std::to_string(r.Wall) + ' ' + std::to_string(int(r.Kind)) + ' ' + std::to_string(r.ZoneIndex);
            const auto [found, added] = instances.emplace(std::move(key), kept);
            if (!added) at = &found->second;
        }
        if (!at) {
            events[kept] = e;
            revisions_[kept++] = revisions_[i];
            continue;
        }
        const Revision& older = revisions_[*at];
        const Revision& newer = revisions_[i];
        if (newer.Sequence > older.Sequence || (newer.Sequence == older.Sequence && newer.Stamp >= older.Stamp)) {
            events[*at] = e;
            revisions_[*at] = newer;
        }
    }
    events.resize(kept);
}

}  // namespace

std::string Warning::Text(std::string_view fileName) const {
    std::string text(fileName);
    if (Line > 0) text += (text.empty() ? "line " : ", line ") + std::to_string(Line);
    return text.empty() ? Reason : text + ": " + Reason;
}

size_t CountEvents(std::string_view bytes) {
    size_t count = 0;
    for (size_t at = 0; at < bytes.size();) {
        if (SameUpper(bytes.substr(at, 12), "BEGIN:VEVENT")) ++count;
        const size_t nl = bytes.find('\n', at);
        if (nl == std::string_view::npos) break;
        at = nl + 1;
    }
    return count;
}

Calendar ReadCalendar(std::string_view bytes, std::string_view fileName) {
    Calendar calendar;
    Reader(bytes, fileName, calendar).Read();
    return calendar;
}

}  // namespace tessel::ical
