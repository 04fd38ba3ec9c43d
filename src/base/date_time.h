#pragma once
// Date-time values: days since 30 December 1899 with the time of day as the fraction, local
// wall-clock time. Two values are on the same day when their whole parts are equal.
#include <cstdint>
#include <string>

namespace tessel {

using TDateTime = double;

constexpr double kMSecsPerDay = 86400000.0;
constexpr double kOneMinute = 1.0 / 1440.0;

struct DateParts {
    int year = 0, month = 0, day = 0;
};
struct TimeParts {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// The quotient rounded toward minus infinity (b > 0).
int64_t FloorDiv(int64_t a, int64_t b);
// Civil dates of the proleptic Gregorian calendar as days since 1970-01-01, any year, and back.
int64_t DaysFromCivil(int64_t year, int month, int day);
void CivilFromDays(int64_t days, int64_t& year, int& month, int& day);

bool TryEncodeDate(int year, int month, int day, TDateTime& result);
bool TryEncodeTime(int hour, int minute, int second, int millisecond, TDateTime& result);
// Raise EConvertError("Invalid argument to date encode") / ("Invalid argument to time encode").
TDateTime EncodeDate(int year, int month, int day);
TDateTime EncodeTime(int hour, int minute, int second, int millisecond);
TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second = 0, int millisecond = 0);

DateParts DecodeDate(TDateTime value);
TimeParts DecodeTime(TDateTime value);
// The day part alone (midnight of the value's day).
TDateTime DateOf(TDateTime value);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);
// The value moved by whole months, the day clamped to the target month's length.
TDateTime IncMonth(TDateTime value, int months);

// "yyyy-mm-dd hh:nn:ss"
std::string FormatIsoDateTime(TDateTime value);
// Reads "yyyy-mm-dd hh:nn:ss" (time optional) or "m/d/yyyy[ hh:nn[:ss]]"; false when unreadable.
bool TryParseDateTimeText(const std::string& text, TDateTime& result);

}  // namespace tessel
