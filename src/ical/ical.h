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

// A damaged file: the message names the file and the line ("work.ics, line 12: ...").
class EIcalError : public EError {
public:
    using EError::EError;
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
    std::vector<std::string> Warnings;  // what was read other than written ("unknown zone ...")

    std::string_view Text(TextRef ref) const { return std::string_view(Texts).substr(ref.Offset, ref.Size); }
};

// Reads a whole file; raises EIcalError naming fileName and the line on anything damaged.
Calendar ReadCalendar(std::string_view bytes, const std::string& fileName);

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
// ones left out, in no particular order. Limits that cut anything add a warning.
std::vector<Occurrence> Expand(const Calendar& calendar, int64_t fromDay, int64_t toDay, const Zone& local,
                               std::vector<std::string>* warnings = nullptr, const ExpandLimits& limits = {});

// Civil dates: days since 1970-01-01 and back; the day a wall time falls on.
inline int64_t FloorDivDays(int64_t wall) {
    return wall / kSecondsPerDay - (wall % kSecondsPerDay < 0 ? 1 : 0);
}
int64_t DaysFromCivil(int64_t year, int month, int day);
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day);

}  // namespace tessel::ical
