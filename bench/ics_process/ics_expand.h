#pragma once
// Reading an iCalendar file and listing the occurrences that overlap a window of Berlin days,
// with this library and with libical (its parser and its own recurrence iterator, EXDATEs
// applied, each occurrence converted to Berlin by its built-in zone). Both give the lines of
// tessel-tool ics (START<TAB>END<TAB>SUMMARY), so their answers can be compared.
#include <libical/ical.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "ical/ical.h"

namespace ics_bench {

struct Window {
    int fromYear = 2026, fromMonth = 12, fromDay = 1;
    int toYear = 2027, toMonth = 3, toDay = 1;
};

struct Result {
    size_t occurrences = 0;
    std::vector<std::string> lines;  // only when asked for
};

inline std::string Stamp(int year, int month, int day, int hour, int minute, bool allDay) {
    char text[32];
    if (allDay) std::snprintf(text, sizeof text, "%04d-%02d-%02d", year, month, day);
    else std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d", year, month, day, hour, minute);
    return text;
}

inline void AddLine(Result& r, const std::string& start, const std::string& end, const char* summary) {
    std::string line = start + '\t' + end + '\t';
    for (const char* c = summary ? summary : ""; *c; ++c) {
        if (*c == '\n') line += "\\n";
        else if (*c != '\r') line += *c;
    }
    r.lines.push_back(std::move(line));
}

// This library: the machine's zone is Berlin (TZ set by the caller).
inline Result WithTessel(const std::string& bytes, const Window& w, bool lines) {
    using namespace tessel::ical;
    const Calendar calendar = ReadCalendar(bytes, "bench.ics");
    const auto berlin = MachineZone();
    const auto occurrences = Expand(calendar, tessel::DaysFromCivil(w.fromYear, w.fromMonth, w.fromDay),
                                    tessel::DaysFromCivil(w.toYear, w.toMonth, w.toDay), *berlin);
    Result r;
    r.occurrences = occurrences.size();
    if (!lines) return r;
    auto stamp = [](int64_t wall, bool allDay) {
        int64_t y;
        int m, d;
        const int64_t day = tessel::FloorDiv(wall, kSecondsPerDay);
        tessel::CivilFromDays(day, y, m, d);
        const int64_t t = wall - day * kSecondsPerDay;
        return Stamp(int(y), m, d, int(t / 3600), int(t / 60 % 60), allDay);
    };
    for (const auto& o : occurrences)
        AddLine(r, stamp(o.Start, o.AllDay), stamp(o.End, o.AllDay),
                std::string(calendar.Text(calendar.Events[o.EventIndex].Summary)).c_str());
    return r;
}

// libical, the way a program using it would list a window.
inline Result WithLibical(const std::string& bytes, const Window& w, bool lines) {
    Result r;
    icalcomponent* root = icalparser_parse_string(bytes.c_str());
    if (!root) return r;
    icaltimezone* berlin = icaltimezone_get_builtin_timezone("Europe/Berlin");
    icaltimetype from = icaltime_null_time(), to = icaltime_null_time();
    from.year = w.fromYear, from.month = w.fromMonth, from.day = w.fromDay;
    to.year = w.toYear, to.month = w.toMonth, to.day = w.toDay;
    const time_t fromUtc = icaltime_as_timet_with_zone(from, berlin), toUtc = icaltime_as_timet_with_zone(to, berlin);
    icaltimetype fromDate = from, toDate = to;
    fromDate.is_date = toDate.is_date = 1;

    for (icalcomponent* event = icalcomponent_get_first_component(root, ICAL_VEVENT_COMPONENT); event;
         event = icalcomponent_get_next_component(root, ICAL_VEVENT_COMPONENT)) {
        const icaltimetype start = icalcomponent_get_dtstart(event);
        const icaltimetype end = icalcomponent_get_dtend(event);
        const bool allDay = start.is_date;
        const icaltimezone* zone = start.zone;
        time_t length = 0;
        int days = 1;
        if (allDay) {
            if (!icaltime_is_null_time(end)) {
                const time_t a = icaltime_as_timet(start), b = icaltime_as_timet(end);
                days = std::max<int>(1, int((b - a) / 86400));
            }
        } else if (!icaltime_is_null_time(end)) {
            length = icaltime_as_timet_with_zone(end, end.zone) - icaltime_as_timet_with_zone(start, zone);
        }
        std::vector<icaltimetype> excluded;
        for (icalproperty* p = icalcomponent_get_first_property(event, ICAL_EXDATE_PROPERTY); p;
             p = icalcomponent_get_next_property(event, ICAL_EXDATE_PROPERTY))
            excluded.push_back(icalproperty_get_exdate(p));
        const char* summary = icalcomponent_get_summary(event);

        // Returns false once past the window.
        auto take = [&](icaltimetype t) {
            for (const icaltimetype& x : excluded)
                if (icaltime_compare(x, t) == 0) return true;
            if (allDay) {
                icaltimetype last = t;
                icaltime_adjust(&last, days, 0, 0, 0);
                if (icaltime_compare_date_only(t, toDate) >= 0) return false;
                if (icaltime_compare_date_only(last, fromDate) <= 0) return true;
                ++r.occurrences;
                if (lines)
                    AddLine(r, Stamp(t.year, t.month, t.day, 0, 0, true), Stamp(last.year, last.month, last.day, 0, 0, true),
                            summary);
                return true;
            }
            const time_t s = icaltime_as_timet_with_zone(t, zone), e = s + length;
            if (s >= toUtc) return false;
            if (length > 0 ? e <= fromUtc : s < fromUtc) return true;
            ++r.occurrences;
            if (lines) {
                const icaltimetype ls = icaltime_from_timet_with_zone(s, 0, berlin);
                const icaltimetype le = icaltime_from_timet_with_zone(e, 0, berlin);
                AddLine(r, Stamp(ls.year, ls.month, ls.day, ls.hour, ls.minute, false),
                        Stamp(le.year, le.month, le.day, le.hour, le.minute, false), summary);
            }
            return true;
        };

        icalproperty* rule = icalcomponent_get_first_property(event, ICAL_RRULE_PROPERTY);
        if (!rule) {
            take(start);
            continue;
        }
        icalrecur_iterator* it = icalrecur_iterator_new(icalproperty_get_rrule(rule), start);
        for (icaltimetype t = icalrecur_iterator_next(it); !icaltime_is_null_time(t); t = icalrecur_iterator_next(it))
            if (!take(t)) break;
        icalrecur_iterator_free(it);
    }
    icalcomponent_free(root);
    return r;
}

// The benchmark's file as ../shared/bench/ics/gen_ics.py writes it (beside the repository).
inline std::string GeneratedFile(const std::string& sourceDir, int events) {
    const std::string command =
        "python3 '" + sourceDir + "/../shared/bench/ics/gen_ics.py' " + std::to_string(events);
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string bytes;
    if (!pipe) return bytes;
    char buffer[1 << 16];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe.get())) > 0) bytes.append(buffer, got);
    return bytes;
}

}  // namespace ics_bench
