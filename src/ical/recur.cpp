// Recurrence rules: the periods of FREQ and INTERVAL, the days and times each period's BY parts
// keep or add, BYSETPOS, then COUNT and UNTIL. Rules are walked in wall time; the caller turns
// wall times into instants by the series' zone.
#include <algorithm>

#include "ical/ical_internal.h"

namespace tessel::ical {

namespace {

constexpr int64_t kLastYear = 20000;

bool Has(const std::vector<int16_t>& list, int v) { return std::find(list.begin(), list.end(), v) != list.end(); }

// A position counted from the start (1..) or, when negative, from the end (-1 = last) of size.
bool Matches(const std::vector<int16_t>& list, int pos, int size) {
    for (int16_t v : list)
        if (v == pos || (v < 0 && size + v + 1 == pos)) return true;
    return false;
}

int64_t Week1Start(int64_t year, int weekStart) {
    const int64_t jan1 = DaysFromCivil(year, 1, 1);
    const int offset = (WeekdayOf(jan1) - weekStart + 7) % 7;
    return offset <= 3 ? jan1 - offset : jan1 - offset + 7;  // the first week with four days of the year
}

class RuleWalk {
public:
    RuleWalk(const Recur& r, int64_t start, bool dateOnly, bool startCounts)
        : r_(r), start_(start), dateOnly_(dateOnly), startCounts_(startCounts) {
        startDay_ = DayOf(start);
        CivilFromDays(startDay_, startYear_, startMonth_, startMday_);
        const int64_t t = start - startDay_ * kSecondsPerDay;
        startHour_ = int(t / 3600), startMinute_ = int(t / 60 % 60), startSecond_ = int(t % 60);
        for (const WeekdayNum& w : r.ByDay) weekdays_ |= 1 << w.Weekday;
        BuildTimes();
    }

    void Run(int64_t from, int64_t to, int64_t untilWall, uint64_t maxSteps, size_t maxOut, StepBudget& budget,
             std::vector<int64_t>& out);

private:
    bool Simple() const;

    void BuildTimes() {
        if (dateOnly_) {
            times_.push_back(0);
            return;
        }
        const std::vector<int16_t> h = r_.ByHour.empty() ? std::vector<int16_t>{int16_t(startHour_)} : r_.ByHour;
        const std::vector<int16_t> m = r_.ByMinute.empty() ? std::vector<int16_t>{int16_t(startMinute_)} : r_.ByMinute;
        const std::vector<int16_t> s = r_.BySecond.empty() ? std::vector<int16_t>{int16_t(startSecond_)} : r_.BySecond;
        for (int16_t hh : h)
            for (int16_t mm : m)
                for (int16_t ss : s) times_.push_back(hh * 3600 + mm * 60 + ss);
    }

    bool DayMatchesByDay(int64_t day, int mday, int dim, int yday, int ylen, bool monthScope) const {
        if (r_.ByDay.empty()) return true;
        const int wd = WeekdayOf(day);
        if (!(weekdays_ & (1 << wd))) return false;
        for (const WeekdayNum& w : r_.ByDay) {
            if (w.Weekday != wd) continue;
            if (w.Ordinal == 0) return true;
            const int nth = monthScope ? (mday - 1) / 7 + 1 : (yday - 1) / 7 + 1;
            const int fromEnd = monthScope ? -((dim - mday) / 7 + 1) : -((ylen - yday) / 7 + 1);
            if (w.Ordinal == nth || w.Ordinal == fromEnd) return true;
        }
        return false;
    }

    bool WeekNoMatches(int64_t day, int64_t year) const {
        const int ws = r_.WeekStart;
        const int64_t w1 = Week1Start(year, ws), next = Week1Start(year + 1, ws);
        int64_t weeks = (next - w1) / 7, w = FloorDiv(day - w1, 7) + 1;
        if (w < 1) {
            const int64_t prev = Week1Start(year - 1, ws);
            weeks = (w1 - prev) / 7;
            w = (day - prev) / 7 + 1;
        } else if (w > weeks) {
            weeks = (Week1Start(year + 2, ws) - next) / 7;
            w = 1;
        }
        return Matches(r_.ByWeekNo, int(w), int(weeks));
    }

    // The limits a DAILY or shorter rule puts on a day.
    bool DayPasses(int64_t day) const {
        int64_t y;
        int m, d;
        CivilFromDays(day, y, m, d);
        if (!r_.ByMonth.empty() && !Has(r_.ByMonth, m)) return false;
        if (!r_.ByYearDay.empty()) {
            const int yday = int(day - DaysFromCivil(y, 1, 1)) + 1;
            if (!Matches(r_.ByYearDay, yday, IsLeapYear(int(y)) ? 366 : 365)) return false;
        }
        if (!r_.ByMonthDay.empty() && !Matches(r_.ByMonthDay, d, DaysInMonth(int(y), m))) return false;
        if (!r_.ByDay.empty() && !(weekdays_ & (1 << WeekdayOf(day)))) return false;
        return true;
    }

    void YearDays(int64_t year, std::vector<int64_t>& days, uint64_t& steps) const {
        const bool dayParts = !r_.ByWeekNo.empty() || !r_.ByYearDay.empty() || !r_.ByMonthDay.empty() || !r_.ByDay.empty();
        const int64_t jan1 = DaysFromCivil(year, 1, 1);
        const int ylen = IsLeapYear(int(year)) ? 366 : 365;
        for (int m = 1; m <= 12; ++m) {
            if (r_.ByMonth.empty() ? (!dayParts && m != startMonth_) : !Has(r_.ByMonth, m)) continue;
            const int dim = DaysInMonth(int(year), m);
            const int64_t first = DaysFromCivil(year, m, 1);
            if (!dayParts) {
                if (startMday_ <= dim) days.push_back(first + startMday_ - 1);
                continue;
            }
            const bool monthScope = !r_.ByMonth.empty() && r_.ByWeekNo.empty();
            for (int d = 1; d <= dim; ++d) {
                ++steps;
                const int64_t day = first + d - 1;
                const int yday = int(day - jan1) + 1;
                if (!r_.ByWeekNo.empty() && !WeekNoMatches(day, year)) continue;
                if (!r_.ByYearDay.empty() && !Matches(r_.ByYearDay, yday, ylen)) continue;
                if (!r_.ByMonthDay.empty() && !Matches(r_.ByMonthDay, d, dim)) continue;
                if (!DayMatchesByDay(day, d, dim, yday, ylen, monthScope)) continue;
                days.push_back(day);
            }
        }
    }

    void MonthDays(int64_t year, int month, std::vector<int64_t>& days, uint64_t& steps) const {
        if (!r_.ByMonth.empty() && !Has(r_.ByMonth, month)) return;
        const int dim = DaysInMonth(int(year), month);
        const int64_t first = DaysFromCivil(year, month, 1);
        if (r_.ByMonthDay.empty() && r_.ByDay.empty()) {
            if (startMday_ <= dim) days.push_back(first + startMday_ - 1);
            return;
        }
        for (int d = 1; d <= dim; ++d) {
            ++steps;
            if (!r_.ByMonthDay.empty() && !Matches(r_.ByMonthDay, d, dim)) continue;
            if (!DayMatchesByDay(first + d - 1, d, dim, 0, 0, true)) continue;
            days.push_back(first + d - 1);
        }
    }

    void WeekDays(int64_t weekStart, std::vector<int64_t>& days) const {
        for (int i = 0; i < 7; ++i) {
            const int64_t day = weekStart + i;
            const int wd = WeekdayOf(day);
            if (r_.ByDay.empty() ? wd != WeekdayOf(startDay_) : !(weekdays_ & (1 << wd))) continue;
            if (!r_.ByMonth.empty()) {
                int64_t y;
                int m, d;
                CivilFromDays(day, y, m, d);
                if (!Has(r_.ByMonth, m)) continue;
            }
            days.push_back(day);
        }
    }

    void SetPositions(std::vector<int64_t>& set) const {
        if (r_.BySetPos.empty() || set.empty()) return;
        std::vector<int64_t> kept;
        const int n = int(set.size());
        for (int16_t v : r_.BySetPos) {
            const int i = v > 0 ? v - 1 : n + v;
            if (i >= 0 && i < n) kept.push_back(set[size_t(i)]);
        }
        std::sort(kept.begin(), kept.end());
        kept.erase(std::unique(kept.begin(), kept.end()), kept.end());
        set.swap(kept);
    }

    const Recur& r_;
    int64_t start_, startDay_, startYear_ = 0;
    bool dateOnly_, startCounts_;
    int startMonth_ = 1, startMday_ = 1, startHour_ = 0, startMinute_ = 0, startSecond_ = 0;
    unsigned weekdays_ = 0;
    std::vector<int32_t> times_;  // seconds into the day, sorted
};

// A rule whose every period holds exactly one instance, DTSTART's own time and day in it: the
// instances before a window can be counted without walking them.
bool RuleWalk::Simple() const {
    const Recur& r = r_;
    if (!r.ByMonth.empty() || !r.ByWeekNo.empty() || !r.ByYearDay.empty() || !r.ByMonthDay.empty() ||
        !r.ByDay.empty() || !r.ByHour.empty() || !r.ByMinute.empty() || !r.BySecond.empty() || !r.BySetPos.empty())
        return false;
    if (r.Frequency == Freq::Monthly) return startMday_ <= 28;
    if (r.Frequency == Freq::Yearly) return startMonth_ != 2 || startMday_ != 29;
    return true;
}

void RuleWalk::Run(int64_t from, int64_t to, int64_t untilWall, uint64_t maxSteps, size_t maxOut, StepBudget& budget,
                   std::vector<int64_t>& out) {
    std::sort(times_.begin(), times_.end());
    const Freq f = r_.Frequency;
    const int64_t interval = r_.Interval;
    int64_t emitted = startCounts_ ? 1 : 0;  // DTSTART is the first
    bool startSeen = startCounts_;
    uint64_t steps = 0;
    const bool counted = r_.Count > 0;
    const bool subDaily = f == Freq::Hourly || f == Freq::Minutely || f == Freq::Secondly;
    const int64_t unit = f == Freq::Hourly ? 3600 : f == Freq::Minutely ? 60 : 1;
    const int64_t weekStart0 = startDay_ - (WeekdayOf(startDay_) - r_.WeekStart + 7) % 7;
    const int64_t base = subDaily ? FloorDiv(start_, unit) * unit : 0;
    const int64_t startMonthIndex = startYear_ * 12 + startMonth_ - 1;

    // With no COUNT nothing before from matters, and with a simple rule each period before it
    // holds one instance: begin a period or so before it.
    int64_t k = 0;
    if ((!counted || Simple()) && from > start_) {
        const int64_t fromDay = DayOf(from);
        int64_t fy;
        int fm, fd;
        CivilFromDays(fromDay, fy, fm, fd);
        int64_t periods = 0;
        switch (f) {
        case Freq::Yearly: periods = fy - 1 - startYear_; break;
        case Freq::Monthly: periods = fy * 12 + fm - 2 - startMonthIndex; break;
        case Freq::Weekly: periods = FloorDiv(fromDay - 7 - weekStart0, 7); break;
        case Freq::Daily: periods = fromDay - 1 - startDay_; break;
        default: periods = FloorDiv(from - unit - base, unit); break;
        }
        if (periods > 0) k = periods / interval;
        if (counted && k > 0) {
            emitted = k;  // periods 0 .. k-1, DTSTART's among them
            startSeen = true;
            if (emitted >= r_.Count) return;
        }
    }

    // Each instance in turn: counted, and kept when from or later; false to stop.
    auto emit = [&](int64_t wall) {
        if (wall < start_) return true;
        if (wall == start_) {
            if (!startSeen) startSeen = true, ++emitted;
            return true;
        }
        if (wall > untilWall || wall > to) return false;
        if (counted && emitted >= r_.Count) return false;
        ++emitted;
        if (wall < from) return true;
        if (out.size() >= maxOut || budget.FileLeft == 0) {
            if (out.size() >= maxOut) budget.Full = true;
            else budget.Cut = true;
            return false;
        }
        --budget.FileLeft;
        out.push_back(wall);
        return true;
    };

    std::vector<int64_t> days, set;
    for (;; ++k) {
        if (++steps > maxSteps || budget.FileLeft == 0) {
            budget.Cut = true;
            return;
        }
        --budget.FileLeft;
        set.clear();
        int64_t periodStart;
        if (subDaily) {
            periodStart = base + k * interval * unit;
            if (periodStart > to || periodStart > untilWall) return;
            const int64_t day = DayOf(periodStart);
            // A period on a day, hour or minute the BY parts refuse: on to the first period after it.
            int64_t boundary = 0;
            const int64_t secondOfDay = periodStart - day * kSecondsPerDay;
            if (!DayPasses(day)) boundary = (day + 1) * kSecondsPerDay;
            else if (!r_.ByHour.empty() && !Has(r_.ByHour, int(secondOfDay / 3600)))
                boundary = FloorDiv(periodStart, 3600) * 3600 + 3600;
            else if (f != Freq::Hourly && !r_.ByMinute.empty() && !Has(r_.ByMinute, int(secondOfDay / 60 % 60)))
                boundary = FloorDiv(periodStart, 60) * 60 + 60;
            else if (f == Freq::Secondly && !r_.BySecond.empty() && !Has(r_.BySecond, int(secondOfDay % 60)))
                boundary = periodStart + 1;
            if (boundary) {
                const int64_t step = interval * unit;
                const int64_t next = (boundary - base + step - 1) / step;
                k = std::max(k, next - 1);
                continue;
            }
            if (f == Freq::Hourly) {
                const int64_t hour = periodStart;
                const auto& mins = r_.ByMinute;
                const auto& secs = r_.BySecond;
                for (size_t i = 0; i < std::max<size_t>(mins.size(), 1); ++i)
                    for (size_t j = 0; j < std::max<size_t>(secs.size(), 1); ++j)
                        set.push_back(hour + (mins.empty() ? startMinute_ : mins[i]) * 60 +
                                      (secs.empty() ? startSecond_ : secs[j]));
            } else if (f == Freq::Minutely) {
                if (r_.BySecond.empty()) set.push_back(periodStart + startSecond_);
                else
                    for (int16_t s : r_.BySecond) set.push_back(periodStart + s);
            } else {
                set.push_back(periodStart);
            }
            SetPositions(set);
            for (int64_t wall : set)
                if (!emit(wall)) return;
        } else {
            days.clear();
            switch (f) {
            case Freq::Yearly: {
                const int64_t year = startYear_ + k * interval;
                if (year > kLastYear) return;
                periodStart = DaysFromCivil(year, 1, 1) * kSecondsPerDay;
                if (periodStart > to || periodStart > untilWall) return;
                YearDays(year, days, steps);
                break;
            }
            case Freq::Monthly: {
                const int64_t index = startMonthIndex + k * interval;
                if (index / 12 > kLastYear) return;
                periodStart = DaysFromCivil(index / 12, int(index % 12) + 1, 1) * kSecondsPerDay;
                if (periodStart > to || periodStart > untilWall) return;
                MonthDays(index / 12, int(index % 12) + 1, days, steps);
                break;
            }
            case Freq::Weekly: {
                const int64_t ws = weekStart0 + 7 * k * interval;
                periodStart = ws * kSecondsPerDay;
                if (periodStart > to || periodStart > untilWall || ws > 7300000) return;
                WeekDays(ws, days);
                break;
            }
            default: {
                const int64_t day = startDay_ + k * interval;
                periodStart = day * kSecondsPerDay;
                if (periodStart > to || periodStart > untilWall || day > 7300000) return;
                if (DayPasses(day)) days.push_back(day);
                break;
            }
            }
            // The period's instances are its days times its times, in that order: never built
            // whole, as BY parts of every day, hour, minute and second would make millions.
            const auto perDay = int64_t(times_.size());
            if (!r_.BySetPos.empty()) {
                const int64_t n = int64_t(days.size()) * perDay;
                for (int16_t v : r_.BySetPos) {
                    const int64_t i = v > 0 ? v - 1 : n + v;
                    if (i >= 0 && i < n) set.push_back(days[size_t(i / perDay)] * kSecondsPerDay + times_[size_t(i % perDay)]);
                }
                std::sort(set.begin(), set.end());
                set.erase(std::unique(set.begin(), set.end()), set.end());
                for (int64_t wall : set)
                    if (!emit(wall)) return;
            } else {
                for (int64_t day : days) {
                    const int64_t midnight = day * kSecondsPerDay;
                    if (midnight + times_.back() < from && midnight > start_) {  // a whole day before from: counted only
                        if (midnight + times_.back() > untilWall) return;
                        emitted += perDay;
                        if (counted && emitted >= r_.Count) return;
                        continue;
                    }
                    for (int32_t t : times_)
                        if (!emit(midnight + t)) return;
                }
            }
        }
        if (counted && emitted >= r_.Count) return;
        if (steps > maxSteps) {
            budget.Cut = true;
            return;
        }
    }
}

}  // namespace

void ExpandRule(const Recur& r, int64_t start, bool dateOnly, bool startCounts, int64_t from, int64_t to,
                int64_t untilWall, uint64_t maxSteps, size_t maxOut, StepBudget& budget, std::vector<int64_t>& out) {
    RuleWalk(r, start, dateOnly, startCounts).Run(from, to, untilWall, maxSteps, maxOut, budget, out);
}

}  // namespace tessel::ical
