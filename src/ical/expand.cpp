// From events to occurrences. Each series is walked in its own frame: the wall time of its
// DTSTART's zone (UTC for a UTC start, the target zone's wall time for a floating time or a
// date). RDATEs, EXDATEs and RECURRENCE-IDs are brought into that frame to be compared; each
// instance is then turned into the target zone's wall time and kept when it overlaps the window.
#include <algorithm>
#include <limits>
#include <unordered_map>

#include "ical/ical_internal.h"

namespace tessel::ical {

namespace {

constexpr int64_t kForever = std::numeric_limits<int64_t>::max() / 4;

class Frame {
public:
    Frame(const Calendar& c, const Time& start, const Zone& local) : local_(local), kind_(start.Kind) {
        if (kind_ == TimeKind::Zoned) zone_ = c.Zones[size_t(start.ZoneIndex)].get();
    }

    bool Instants() const { return kind_ == TimeKind::Zoned || kind_ == TimeKind::Utc; }

    // The instant a frame wall time is (floating and dates: by the target zone).
    int64_t Utc(int64_t wall) const {
        return kind_ == TimeKind::Zoned ? zone_->ToUtc(wall) : kind_ == TimeKind::Utc ? wall : local_.ToUtc(wall);
    }
    int64_t WallOfUtc(int64_t utc) const {
        return kind_ == TimeKind::Zoned ? zone_->ToWall(utc) : kind_ == TimeKind::Utc ? utc : local_.ToWall(utc);
    }
    // A time of the file in this frame: floating times and dates are taken as written.
    int64_t WallOf(const Calendar& c, const Time& t) const {
        if (t.Kind == TimeKind::Date || t.Kind == TimeKind::Floating) return t.Wall;
        if (t.Kind == TimeKind::Zoned && kind_ == TimeKind::Zoned && c.Zones[size_t(t.ZoneIndex)].get() == zone_)
            return t.Wall;
        const int64_t utc = t.Kind == TimeKind::Utc ? t.Wall : c.Zones[size_t(t.ZoneIndex)]->ToUtc(t.Wall);
        return Instants() ? WallOfUtc(utc) : local_.ToWall(utc);
    }
    // The target zone's wall time of a frame wall time.
    int64_t Local(int64_t wall) const { return Instants() ? local_.ToWall(Utc(wall)) : wall; }

private:
    const Zone& local_;
    TimeKind kind_;
    const Zone* zone_ = nullptr;
};

int64_t InstantOf(const Calendar& c, const Time& t, const Zone& local) {
    if (t.Kind == TimeKind::Utc) return t.Wall;
    if (t.Kind == TimeKind::Zoned) return c.Zones[size_t(t.ZoneIndex)]->ToUtc(t.Wall);
    return local.ToUtc(t.Wall);
}

// How long each instance of a series lasts.
struct Length {
    bool Exact = true;  // Seconds of elapsed time; otherwise Days of wall days, then Seconds
    int64_t Days = 0, Seconds = 0;
};

Length LengthOf(const Calendar& c, const Event& e, const Zone& local) {
    Length l;
    const bool date = e.Start.Kind == TimeKind::Date;
    if (e.HasEnd) {
        if (date || e.End.Kind == TimeKind::Date) {
            l.Exact = false;
            l.Days = DayOf(e.End.Wall) - DayOf(e.Start.Wall);
        } else if (e.Start.Kind == TimeKind::Floating && e.End.Kind == TimeKind::Floating) {
            l.Seconds = e.End.Wall - e.Start.Wall;
        } else {
            l.Seconds = InstantOf(c, e.End, local) - InstantOf(c, e.Start, local);
        }
    } else if (e.HasDuration) {
        l.Exact = false;
        l.Days = e.Length.Days;
        l.Seconds = e.Length.Seconds;
        if (date) l.Days += e.Length.Seconds / kSecondsPerDay, l.Seconds = 0;
    } else if (date) {
        l.Exact = false;
        l.Days = 1;
    }
    if (date && l.Days < 1) l.Days = 1;  // a date lasts at least its day
    if (l.Days < 0 || (l.Days == 0 && l.Seconds < 0)) l.Days = 0, l.Seconds = 0;
    return l;
}

// Instances are worked out from a little before the window: by the event's length, and for
// instants by the largest clock change, as a frame's wall time and the target zone's may differ
// by it around a change.
constexpr int64_t kClockChangeMargin = 3 * 3600;

class Expander {
public:
    Expander(const Calendar& c, int64_t fromDay, int64_t toDay, const Zone& local, const ExpandLimits& limits)
        : c_(c), local_(local), limits_(limits), from_(fromDay * kSecondsPerDay), to_(toDay * kSecondsPerDay) {
        budget_.FileLeft = limits.MaxFileSteps;
        fromUtc_ = local.ToUtc(from_);
        toUtc_ = local.ToUtc(to_);
    }

    std::vector<Occurrence> Run(std::vector<Warning>* warnings);

private:
    // Adds the occurrence when it overlaps the window; false once the event's share is used up.
    bool Add(uint32_t eventIndex, bool allDay, int64_t start, int64_t end) {
        const bool overlaps = end > start ? start < to_ && end > from_ : start >= from_ && start < to_;
        if (!overlaps) return true;
        if (perEvent_ >= limits_.MaxPerEvent || out_.size() >= limits_.MaxTotal) {
            capped_ = true;
            return false;
        }
        ++perEvent_;
        out_.push_back({start, end, allDay, eventIndex});
        return true;
    }

    bool AddInstance(uint32_t eventIndex, const Frame& frame, bool allDay, const Length& l, int64_t wall) {
        if (allDay) return Add(eventIndex, true, wall, wall + l.Days * kSecondsPerDay);
        const int64_t start = frame.Local(wall);
        int64_t end;
        if (l.Exact) end = frame.Instants() ? local_.ToWall(frame.Utc(wall) + l.Seconds) : wall + l.Seconds;
        else if (frame.Instants()) end = local_.ToWall(frame.Utc(wall + l.Days * kSecondsPerDay) + l.Seconds);
        else end = wall + l.Days * kSecondsPerDay + l.Seconds;
        return Add(eventIndex, false, start, std::max(start, end));
    }

    // The day of an all-day series a date-time names (a RECURRENCE-ID or EXDATE written with a
    // time, as some servers do): its own wall date; a UTC one's date in the target zone.
    int64_t DayNamed(const Time& t) const { return DayOf(t.Kind == TimeKind::Utc ? local_.ToWall(t.Wall) : t.Wall); }

    // The last wall time UNTIL lets a series in frame start.
    int64_t UntilWall(const Recur& r, const Frame& frame, bool allDay) const {
        if (!r.HasUntil) return kForever;
        // An all-day series ends on UNTIL's own date, a UTC one's by UTC, wherever it is shown.
        if (allDay) return DayOf(r.Until.Wall) * kSecondsPerDay;
        // A date on a timed series: the start of that day in the series' zone.
        if (r.Until.Kind == TimeKind::Date) return r.Until.Wall;
        return frame.WallOf(c_, r.Until);
    }

    void Series(uint32_t index, const std::vector<uint32_t>* overrides);
    void Single(uint32_t index);
    void CutShort(uint32_t index, bool slow);

    const Calendar& c_;
    const Zone& local_;
    const ExpandLimits& limits_;
    int64_t from_, to_, fromUtc_ = 0, toUtc_ = 0;
    StepBudget budget_;
    std::vector<Occurrence> out_;
    uint32_t perEvent_ = 0;
    bool capped_ = false;  // the event at hand had more occurrences than are kept
    std::vector<int64_t> walls_;
    std::vector<Warning> cut_;
    size_t cutCount_ = 0;
};

void Expander::Single(uint32_t index) {
    const Event& e = c_.Events[index];
    const Frame frame(c_, e.Start, local_);
    AddInstance(index, frame, e.Start.Kind == TimeKind::Date, LengthOf(c_, e, local_), e.Start.Wall);
}

void Expander::Series(uint32_t index, const std::vector<uint32_t>* overrides) {
    const Event& e = c_.Events[index];
    const Frame frame(c_, e.Start, local_);
    const bool allDay = e.Start.Kind == TimeKind::Date;
    const Length length = LengthOf(c_, e, local_);
    const int64_t span = std::max<int64_t>(0, length.Days * kSecondsPerDay + length.Seconds);

    // The frame's wall times that can start an occurrence in the window.
    const int64_t margin = frame.Instants() ? kClockChangeMargin : 0;
    const int64_t genFrom = (frame.Instants() ? frame.WallOfUtc(fromUtc_) : from_) - span - margin;
    const int64_t genTo = (frame.Instants() ? frame.WallOfUtc(toUtc_) : to_) + margin;

    walls_.clear();
    walls_.push_back(e.Start.Wall);
    for (uint32_t i = 0; i < e.RuleCount; ++i) {
        const Recur& r = c_.Rules[e.FirstRule + i];
        if (budget_.FileLeft == 0) {
            budget_.Cut = true;
            break;
        }
        // Room for the event's share of the window and the margins around it.
        const size_t room = walls_.size() + 2 * size_t(limits_.MaxPerEvent) + 12000;
        // DTSTART is the first of COUNT for the first rule; for another only when it fits it.
        ExpandRule(r, e.Start.Wall, allDay, i == 0, genFrom, genTo, UntilWall(r, frame, allDay), limits_.MaxRuleSteps,
                   room, budget_, walls_);
        if (budget_.Full) capped_ = true, budget_.Full = false;
    }
    std::vector<std::pair<int64_t, uint32_t>> periods;  // RDATE periods with their own length
    for (uint32_t i = 0; i < e.RDateCount; ++i) {
        const RecurDate& d = c_.RDates[e.FirstRDate + i];
        const int64_t wall = allDay ? d.Start.Wall : frame.WallOf(c_, d.Start);
        walls_.push_back(wall);
        if (d.HasEnd || d.HasDuration) periods.push_back({wall, e.FirstRDate + i});
    }
    std::sort(walls_.begin(), walls_.end());
    walls_.erase(std::unique(walls_.begin(), walls_.end()), walls_.end());
    std::sort(periods.begin(), periods.end());

    std::vector<int64_t> excluded, excludedDays;
    auto exclude = [&](const Time& t) {
        if (t.Kind == TimeKind::Date || allDay) excludedDays.push_back(allDay ? DayNamed(t) : DayOf(t.Wall));
        else excluded.push_back(frame.WallOf(c_, t));
    };
    for (uint32_t i = 0; i < e.ExDateCount; ++i) exclude(c_.ExDates[e.FirstExDate + i]);
    // Overrides of this instance and the later ones (RANGE=THISANDFUTURE), by the instance they replace.
    std::vector<std::pair<int64_t, uint32_t>> futures;
    if (overrides)
        for (uint32_t o : *overrides) {
            const Time& id = c_.Events[o].RecurrenceId;
            exclude(id);
            if (c_.Events[o].ThisAndFuture)
                futures.push_back({allDay ? DayNamed(id) * kSecondsPerDay : frame.WallOf(c_, id), o});
        }
    std::sort(excluded.begin(), excluded.end());
    std::sort(excludedDays.begin(), excludedDays.end());
    std::sort(futures.begin(), futures.end());

    for (int64_t wall : walls_) {
        if (std::binary_search(excluded.begin(), excluded.end(), wall)) continue;
        if (!excludedDays.empty() && std::binary_search(excludedDays.begin(), excludedDays.end(), DayOf(wall))) continue;
        const auto period = std::lower_bound(periods.begin(), periods.end(), std::make_pair(wall, uint32_t(0)));
        if (period != periods.end() && period->first == wall) {
            const RecurDate& d = c_.RDates[period->second];
            const int64_t start = allDay ? wall : frame.Local(wall);
            int64_t end;
            if (d.HasEnd) end = allDay ? d.End.Wall : local_.ToWall(InstantOf(c_, d.End, local_));
            else end = allDay ? wall + d.Length.Days * kSecondsPerDay
                              : local_.ToWall(frame.Utc(wall + d.Length.Days * kSecondsPerDay) + d.Length.Seconds);
            if (!Add(index, allDay, start, std::max(start, end))) return;
            continue;
        }
        const auto future = std::upper_bound(futures.begin(), futures.end(), std::make_pair(wall, UINT32_MAX));
        if (future != futures.begin()) {  // moved and changed as the override of an earlier instance says
            const Event& o = c_.Events[std::prev(future)->second];
            const int64_t moved = wall + (allDay ? o.Start.Wall : frame.WallOf(c_, o.Start)) - std::prev(future)->first;
            if (!AddInstance(std::prev(future)->second, frame, allDay, LengthOf(c_, o, local_), moved)) return;
            continue;
        }
        if (!AddInstance(index, frame, allDay, length, wall)) return;
    }
}

void Expander::CutShort(uint32_t index, bool slow) {
    if (++cutCount_ > kMaxWarnings) return;
    const Event& e = c_.Events[index];
    std::string name(c_.Text(e.Summary).substr(0, 60));
    for (char& ch : name)
        if (ch == '\n') ch = ' ';
    cut_.push_back({e.Line, (name.empty() ? std::string("an untitled event") : "the event '" + name + "'") +
                                (slow ? " repeats by a rule that takes too long to work out"
                                      : " has more occurrences than are shown") +
                                ", cut short"});
}

std::vector<Occurrence> Expander::Run(std::vector<Warning>* warnings) {
    // Overrides (RECURRENCE-ID) by their series' UID.
    std::unordered_map<std::string_view, std::vector<uint32_t>> overrides;
    for (uint32_t i = 0; i < c_.Events.size(); ++i)
        if (c_.Events[i].HasRecurrenceId) overrides[c_.Text(c_.Events[i].Uid)].push_back(i);

    for (uint32_t i = 0; i < c_.Events.size(); ++i) {
        const Event& e = c_.Events[i];
        perEvent_ = 0;
        capped_ = budget_.Cut = false;
        if (e.Cancelled) continue;
        if (out_.size() >= limits_.MaxTotal) {
            CutShort(i, false);
            continue;
        }
        const auto found = e.HasRecurrenceId || overrides.empty() ? overrides.end() : overrides.find(c_.Text(e.Uid));
        if (e.HasRecurrenceId || (e.RuleCount == 0 && e.RDateCount == 0 && e.ExDateCount == 0 && found == overrides.end()))
            Single(i);
        else Series(i, found == overrides.end() ? nullptr : &found->second);
        if (capped_ || budget_.Cut) CutShort(i, budget_.Cut);
    }
    if (warnings) {
        warnings->insert(warnings->end(), cut_.begin(), cut_.end());
        if (cutCount_ > cut_.size())
            warnings->push_back({0, std::to_string(cutCount_ - cut_.size()) + " more events cut short"});
    }
    return std::move(out_);
}

}  // namespace

std::vector<Occurrence> Expand(const Calendar& calendar, int64_t fromDay, int64_t toDay, const Zone& local,
                               std::vector<Warning>* warnings, const ExpandLimits& limits) {
    return Expander(calendar, fromDay, toDay, local, limits).Run(warnings);
}

}  // namespace tessel::ical
