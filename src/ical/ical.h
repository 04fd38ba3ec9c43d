#pragma once
// iCalendar (RFC 5545) files: reading VCALENDAR with its VEVENTs and VTIMEZONEs, and expanding
// the events' recurrences into the occurrences that overlap a window of days, in a given zone's
// wall time.
//
// Times are whole seconds counted from 1970-01-01 00:00 on some clock: UTC for instants, a zone's
// wall clock for local times. Days are counted from the same origin. Nothing here knows the
// program's event model; the calendar layer turns occurrences into its records.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"

namespace tessel::ical {

// What was read other than written, or passed over: the line (0 when it is not one line's) and
// the reason in the user's words ("an empty recurrence rule, ignored").
struct Warning {
    uint32_t Line = 0;
    std::string Reason;

    // "work.ics, line 15: an empty recurrence rule, ignored"; without a file name "line 15: ..."
    std::string Text(std::string_view fileName) const;
};

// A file refused whole: not iCalendar at all, beyond a limit, or nothing readable in it. The
// message names the file and the line ("work.ics, line 12: ..."); Line and Reason are its parts.
class EIcalError : public EError {
public:
    EIcalError(std::string_view fileName, uint32_t line, std::string reason)
        : EError(Warning{line, reason}.Text(fileName)), Line(line), Reason(std::move(reason)) {}
    uint32_t Line;
    std::string Reason;
};

constexpr int64_t kSecondsPerDay = 86400;
// Files larger than this are refused before reading.
constexpr size_t kMaxFileBytes = 64u << 20;

// A time zone's rules: its offset east of UTC at an instant.
class Zone {
public:
    virtual ~Zone() = default;
    virtual int32_t OffsetAt(int64_t utc) const = 0;
    int64_t ToWall(int64_t utc) const { return utc + OffsetAt(utc); }
    // A wall time in a spring-forward gap moves forward by the gap; one in the autumn overlap
    // is the first of the two instants.
    int64_t ToUtc(int64_t wall) const;
};

// The platform's zone of that name (an IANA name, or a Windows zone name where the platform
// knows it); null when there is none.
std::unique_ptr<Zone> SystemZone(std::string_view name);
// The machine's local zone (TZ natively, the system's dynamic rules on Windows).
std::unique_ptr<Zone> MachineZone();

enum class TimeKind : uint8_t { Date, Floating, Utc, Zoned };

struct Time {
    int64_t Wall = 0;  // UTC for Utc, the zone's wall time for Zoned, midnight for Date
    TimeKind Kind = TimeKind::Floating;
    int16_t ZoneIndex = -1;  // into Calendar::Zones for Zoned
};

// Nominal days (weeks included) and exact seconds, both carrying the sign.
struct Duration {
    int64_t Days = 0;
    int64_t Seconds = 0;
};

enum class Freq : uint8_t { Secondly, Minutely, Hourly, Daily, Weekly, Monthly, Yearly };

struct WeekdayNum {
    int16_t Ordinal = 0;  // 0: every such weekday in the period
    int8_t Weekday = 0;   // 0 = Monday .. 6 = Sunday
};

struct Recur {
    Freq Frequency = Freq::Daily;
    int32_t Interval = 1;
    int64_t Count = 0;  // 0: no COUNT
    bool HasUntil = false;
    Time Until;
    int8_t WeekStart = 0;
    std::vector<int16_t> ByMonth, ByWeekNo, ByYearDay, ByMonthDay, ByHour, ByMinute, BySecond, BySetPos;
    std::vector<WeekdayNum> ByDay;
};

// An RDATE: a start, and for a PERIOD value its own end or duration.
struct RecurDate {
    Time Start;
    bool HasEnd = false, HasDuration = false;
    Time End;
    Duration Length;
};

struct TextRef {
    uint32_t Offset = 0, Size = 0;
};

struct Event {
    TextRef Uid, Summary, Url;
    Time Start;
    bool HasEnd = false, HasDuration = false, HasRecurrenceId = false, Cancelled = false;
    Time End;
    Duration Length;
    Time RecurrenceId;
    bool ThisAndFuture = false;  // RANGE=THISANDFUTURE: the changes hold for the later instances too
    uint32_t FirstRule = 0, RuleCount = 0;    // into Calendar::Rules
    uint32_t FirstRDate = 0, RDateCount = 0;  // into Calendar::RDates
    uint32_t FirstExDate = 0, ExDateCount = 0;  // into Calendar::ExDates
    uint32_t Line = 0;                          // of its BEGIN:VEVENT
};

struct Calendar {
    std::vector<Event> Events;
    std::vector<Recur> Rules;
    std::vector<RecurDate> RDates;
    std::vector<Time> ExDates;
    std::vector<std::unique_ptr<Zone>> Zones;
    TextRef Name;                       // the calendar's X-WR-CALNAME, unescaped; empty when none
    std::string Texts;                  // every kept text, UTF-8, one after another
    std::vector<Warning> Warnings;      // the first kMaxWarnings of what was read other than written
    size_t WarningCount = 0;            // all of them: lines, values and components passed over

    std::string_view Text(TextRef ref) const { return std::string_view(Texts).substr(ref.Offset, ref.Size); }
};

constexpr size_t kMaxWarnings = 100;

// Reads a whole file. A damaged line, value or component costs only itself (a warning each);
// raises EIcalError naming fileName when the file is not iCalendar, is beyond a limit, or holds
// nothing readable.
Calendar ReadCalendar(std::string_view bytes, std::string_view fileName);

// The VEVENTs a file begins, the name in any case, counted from the lines alone (cheap: for
// limits applied before reading).
size_t CountEvents(std::string_view bytes);

struct Occurrence {
    int64_t Start = 0, End = 0;  // wall seconds in the target zone; all-day: midnights, End exclusive
    bool AllDay = false;
    uint32_t EventIndex = 0;     // whose summary and link it shows (an override's own)
};

struct ExpandLimits {
    uint32_t MaxPerEvent = 5000;       // occurrences of one event in the window
    uint32_t MaxTotal = 200000;        // occurrences of the whole file
    uint64_t MaxRuleSteps = 200000;    // periods and days one rule may examine
    uint64_t MaxFileSteps = 5000000;   // the same for every rule of the file together
};

// Every occurrence that overlaps [fromDay 00:00, toDay 00:00) of the zone `local`, cancelled
// ones left out, in no particular order. A limit that cuts an event adds a warning at its line.
std::vector<Occurrence> Expand(const Calendar& calendar, int64_t fromDay, int64_t toDay, const Zone& local,
                               std::vector<Warning>* warnings = nullptr, const ExpandLimits& limits = {});

}  // namespace tessel::ical
