// Wall time to UTC for any zone, and which zone a TZID names: the file's VTIMEZONE, whose
// observances' onsets (DTSTART, its RRULEs and RDATEs) become one sorted list of transitions, or
// else the platform's zone of that name.
#include <algorithm>
#include <limits>

#include "ical/ical_internal.h"

namespace tessel::ical {

int64_t Zone::ToUtc(int64_t wall) const {
    // Offsets a day either side; a zone changes its clocks at most once in between.
    const int32_t before = OffsetAt(wall - kSecondsPerDay), after = OffsetAt(wall + kSecondsPerDay);
    const int64_t first = wall - before;
    if (before == after) return first;
    if (OffsetAt(first) == before) return first;  // before the change, or the first of an overlap
    const int64_t second = wall - after;
    if (OffsetAt(second) == after) return second;
    return first;  // in the gap: read by the offset before it, which lands after the change
}

namespace {

struct Transition {
    int64_t Utc;
    int32_t Offset;
};

class DefinedRules final : public Zone {
public:
    DefinedRules(std::vector<Transition> transitions, int32_t initial, std::unique_ptr<Zone> before)
        : transitions_(std::move(transitions)), initial_(initial), before_(std::move(before)) {}

    int32_t OffsetAt(int64_t utc) const override {
        const auto it = std::upper_bound(transitions_.begin(), transitions_.end(), utc,
                                         [](int64_t u, const Transition& t) { return u < t.Utc; });
        if (it != transitions_.begin()) return std::prev(it)->Offset;
        return before_ ? before_->OffsetAt(utc) : initial_;
    }

private:
    std::vector<Transition> transitions_;
    int32_t initial_;              // before the first onset, without a zone of the platform's
    std::unique_ptr<Zone> before_;  // the platform's zone of that name, for times before the first onset
};

// Onsets are computed up to this year; later instants keep the last offset.
constexpr int64_t kRulesUntilYear = 2200;
constexpr size_t kMaxOnsets = 20000;
constexpr uint64_t kMaxRuleSteps = 200000;
// Onsets before 1900 are not worked out (a rule with no COUNT starts walking there).
constexpr int64_t kRulesFrom = -2208988800;

// A zone of the platform by the name, or by the tail of a name in path form.
std::unique_ptr<Zone> PlatformZone(std::string_view name) {
    std::unique_ptr<Zone> zone = SystemZone(name);
    for (size_t slash = name.find('/'); !zone && name.starts_with('/') && slash != std::string_view::npos;
         slash = name.find('/', slash + 1))
        zone = SystemZone(name.substr(slash + 1));
    return zone;
}

// Servers that send only recent years leave earlier times before the first onset: the
// platform's zone knows them; else the earliest observance's standard offset is the better
// guess (its TZOFFSETFROM is often a made-up offset of the year the zone began).
std::unique_ptr<Zone> DefinedZone(const std::string& tzid, const std::vector<Observance>& observances,
                                  StepBudget& budget) {
    std::vector<Transition> all;
    const int64_t end = DaysFromCivil(kRulesUntilYear, 1, 1) * kSecondsPerDay;
    int64_t earliest = std::numeric_limits<int64_t>::max();
    int32_t initial = observances.front().OffsetFrom;
    for (const Observance& o : observances) {
        std::vector<int64_t> walls{o.Start};
        for (const Recur& r : o.Rules) {
            int64_t until = std::numeric_limits<int64_t>::max();
            if (r.HasUntil) until = r.Until.Wall + (r.Until.Kind == TimeKind::Utc ? o.OffsetFrom : 0);
            if (r.HasUntil && r.Until.Kind == TimeKind::Date) until += kSecondsPerDay - 1;
            ExpandRule(r, o.Start, false, true, kRulesFrom, end, until, kMaxRuleSteps, kMaxOnsets, budget, walls);
        }
        walls.insert(walls.end(), o.Dates.begin(), o.Dates.end());
        if (walls.size() > kMaxOnsets) walls.resize(kMaxOnsets);
        if (all.size() + walls.size() > 4 * kMaxOnsets) break;  // a zone of more changes than any real one
        for (int64_t wall : walls) {
            all.push_back({wall - o.OffsetFrom, o.OffsetTo});
            if (wall - o.OffsetFrom < earliest)
                earliest = wall - o.OffsetFrom, initial = o.Standard ? o.OffsetTo : o.OffsetFrom;
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const Transition& a, const Transition& b) { return a.Utc < b.Utc; });
    return std::make_unique<DefinedRules>(std::move(all), initial, PlatformZone(tzid));
}

}  // namespace

std::unique_ptr<Zone> ResolveZone(const std::string& tzid, const std::vector<Observance>* defined, StepBudget& budget) {
    return defined ? DefinedZone(tzid, *defined, budget) : PlatformZone(tzid);
}

}  // namespace tessel::ical
