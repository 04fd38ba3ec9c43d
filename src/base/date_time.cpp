#include "base/date_time.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/errors.h"

namespace tessel {

namespace {

// Days from 0001-01-01 to 1899-12-30, the epoch of TDateTime.
constexpr int64_t kEpochOffset = 693593;

int64_t DaysBeforeYear(int64_t year) {
    const int64_t y = year - 1;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

// Milliseconds since the epoch, rounded as the time is read, so the day and the time agree.
int64_t ToMillis(TDateTime value) { return std::llround(value * kMSecsPerDay); }

int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

void SplitMillis(TDateTime value, int64_t& days, int64_t& millis) {
    const int64_t total = ToMillis(value);
    days = FloorDiv(total, 86400000);
    millis = total - days * 86400000;
}

}  // namespace

bool IsLeapYear(int year) { return (year % 4 == 0) && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return kDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    int64_t days = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
    days += day - 1;
    result = static_cast<TDateTime>(days - kEpochOffset);
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
    int64_t n = days + kEpochOffset;  // days since 0001-01-01
    DateParts parts;
    if (n < 0) return parts;
    // 400-, 100-, 4- and 1-year cycles.
    int64_t year = 1;
    year += 400 * (n / 146097);
    n %= 146097;
    int64_t c = n / 36524;
    if (c == 4) c = 3;
    year += 100 * c;
    n -= c * 36524;
    year += 4 * (n / 1461);
    n %= 1461;
    int64_t y = n / 365;
    if (y == 4) y = 3;
    year += y;
    n -= y * 365;
    int month = 1;
    while (n >= DaysInMonth(int(year), month)) n -= DaysInMonth(int(year), month++);
    parts.year = int(year);
    parts.month = month;
    parts.day = int(n) + 1;
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
