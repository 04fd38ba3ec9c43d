#include "base/date_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/errors.h"

namespace tessel {

namespace {

// Days from 1899-12-30, the epoch of TDateTime, to 1970-01-01.
constexpr int64_t kUnixEpochDay = 25569;
// Days from 0001-01-01 to 1899-12-30: earlier values decode to no date.
constexpr int64_t kEpochDays = 693593;

// Milliseconds since the epoch, rounded as the time is read, so the day and the time agree.
int64_t ToMillis(TDateTime value) { return std::llround(value * kMSecsPerDay); }

void SplitMillis(TDateTime value, int64_t& days, int64_t& millis) {
    const int64_t total = ToMillis(value);
    days = FloorDiv(total, 86400000);
    millis = total - days * 86400000;
}

}  // namespace

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

int64_t DaysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = FloorDiv(y, 400);
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int64_t& year, int& month, int& day) {
    z += 719468;
    const int64_t era = FloorDiv(z, 146097);
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = yoe + era * 400 + (month <= 2);
}

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    result = static_cast<TDateTime>(DaysFromCivil(year, month, day) + kUnixEpochDay);
    return true;
}

bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result) {
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || millisecond < 0 ||
        millisecond > 999)
        return false;
    result = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond) / kMSecsPerDay;
    return true;
}

TDateTime EncodeDate(int year, int month, int day) {
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result)) throw EConvertError("Invalid argument to date encode");
    return result;
}

TDateTime EncodeTime(int hour, int minute, int second, int millisecond) {
    TDateTime result;
    if (!TryEncodeTime(hour, minute, second, millisecond, result))
        throw EConvertError("Invalid argument to time encode");
    return result;
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second, int millisecond) {
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, second, millisecond);
}

DateParts DecodeDate(TDateTime value) {
    int64_t days, millis;
    SplitMillis(value, days, millis);
    DateParts parts;
    if (days < -kEpochDays) return parts;  // before 0001-01-01
    int64_t year;
    CivilFromDays(days - kUnixEpochDay, year, parts.month, parts.day);
    parts.year = int(year);
    return parts;
}

TimeParts DecodeTime(TDateTime value) {
    int64_t days, millis;
    SplitMillis(value, days, millis);
    TimeParts parts;
    parts.hour = int(millis / 3600000);
    parts.minute = int(millis / 60000 % 60);
    parts.second = int(millis / 1000 % 60);
    parts.millisecond = int(millis % 1000);
    return parts;
}

TDateTime DateOf(TDateTime value) {
    int64_t days, millis;
    SplitMillis(value, days, millis);
    return static_cast<TDateTime>(days);
}

int DayOfWeek(TDateTime value) {
    int64_t days, millis;
    SplitMillis(value, days, millis);
    // 1899-12-30 was a Saturday (7).
    return int((days % 7 + 7 + 6) % 7) + 1;
}

TDateTime IncMonth(TDateTime value, int months) {
    const DateParts d = DecodeDate(value);
    int64_t index = int64_t(d.year) * 12 + (d.month - 1) + months;
    const int year = int(FloorDiv(index, 12));
    const int month = int(index - int64_t(year) * 12) + 1;
    const int day = std::min(d.day, DaysInMonth(year, month));
    return EncodeDate(year, month, day) + (value - DateOf(value));
}

std::string FormatIsoDateTime(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, t.hour, t.minute,
                  t.second);
    return buf;
}

bool TryParseDateTimeText(const std::string& text, TDateTime& result) {
    int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
    char tail = 0;
    TDateTime date = 0, time = 0;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &tail) >= 3 ||
        std::sscanf(text.c_str(), "%d/%d/%d %d:%d:%d%c", &mo, &d, &y, &h, &mi, &s, &tail) >= 3) {
        if (tail != 0) return false;
        if (!TryEncodeDate(y, mo, d, date) || !TryEncodeTime(h, mi, s, 0, time)) return false;
        result = date + time;
        return true;
    }
    return false;
}

}  // namespace tessel
