// Wall time to UTC for any zone, and the zones a file defines with VTIMEZONE: each observance's
// onsets (DTSTART, its RRULEs and RDATEs) become one sorted list of transitions.
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
    DefinedRules(std::vector<Transition> transitions, int32_t initial)
        : transitions_(std::move(transitions)), initial_(initial) {}

    int32_t OffsetAt(int64_t utc) const override {
        const auto it = std::upper_bound(transitions_.begin(), transitions_.end(), utc,
                                         [](int64_t u, const Transition& t) { return u < t.Utc; });
        return it == transitions_.begin() ? initial_ : std::prev(it)->Offset;
    }

private:
    std::vector<Transition> transitions_;
    int32_t initial_;
};

// Onsets are computed up to this year; later instants keep the last offset.
constexpr int64_t kRulesUntilYear = 2200;
constexpr size_t kMaxOnsets = 20000;
constexpr uint64_t kMaxRuleSteps = 200000;
// Onsets before 1900 are not worked out (a rule with no COUNT starts walking there).
constexpr int64_t kRulesFrom = -2208988800;

}  // namespace

std::unique_ptr<Zone> DefinedZone(const std::vector<Observance>& observances, StepBudget& budget) {
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
            ExpandRule(r, o.Start, false, kRulesFrom, end, until, kMaxRuleSteps, kMaxOnsets, budget, walls);
        }
        walls.insert(walls.end(), o.Dates.begin(), o.Dates.end());
        if (walls.size() > kMaxOnsets) walls.resize(kMaxOnsets);
        if (all.size() + walls.size() > 4 * kMaxOnsets) break;  // a zone of more changes than any real one
        for (int64_t wall : walls) {
            all.push_back({wall - o.OffsetFrom, o.OffsetTo});
            if (wall - o.OffsetFrom < earliest) earliest = wall - o.OffsetFrom, initial = o.OffsetFrom;
        }
    }
    std::stable_sort(all.begin(), all.end(), [](const Transition& a, const Transition& b) { return a.Utc < b.Utc; });
    return std::make_unique<DefinedRules>(std::move(all), initial);
}

}  // namespace tessel::ical
