#include "wall_time.h"

#include <cstdio>
#include <ctime>

#include "base/date_time.h"

namespace tessel::service {

namespace {

// Unix time 0 is 1970-01-01, day 25569 of the core's epoch.
constexpr int64_t kUnixEpochDay = 25569;

bool Digits(std::string_view text, size_t at, size_t count, int& value) {
    if (at + count > text.size()) return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

// Two digits of a value 0..99.
std::string TwoDigits(int value) {
    return {static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

}  // namespace

bool ParseDateText(std::string_view text, WallSeconds& midnight) {
    int year, month, day;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !Digits(text, 0, 4, year) ||
        !Digits(text, 5, 2, month) || !Digits(text, 8, 2, day))
        return false;
    TDateTime date;
    if (!TryEncodeDate(year, month, day, date)) return false;
    midnight = static_cast<int64_t>(date) * kSecondsPerDay;
    return true;
}

bool ParseClockText(std::string_view text, int& seconds) {
    int hour, minute, second = 0;
    if ((text.size() != 5 && text.size() != 8) || text[2] != ':' || !Digits(text, 0, 2, hour) ||
        !Digits(text, 3, 2, minute))
        return false;
    if (text.size() == 8 && (text[5] != ':' || !Digits(text, 6, 2, second))) return false;
    if (hour > 23 || minute > 59 || second > 59) return false;
    seconds = (hour * 60 + minute) * 60 + second;
    return true;
}

bool ParseWallText(std::string_view text, WallSeconds& value, bool& dateOnly) {
    if (!ParseDateText(text.substr(0, 10), value)) return false;
    dateOnly = text.size() == 10;
    if (dateOnly) return true;
    if (text[10] != ' ' && text[10] != 'T') return false;
    int seconds;
    if (!ParseClockText(text.substr(11), seconds)) return false;
    value += seconds;
    return true;
}

bool ParseZoneText(std::string_view text, int& minutes) {
    if (text == "Z") {
        minutes = 0;
        return true;
    }
    if (text.empty()) return false;
    const char sign = text[0];
    if (sign != '+' && sign != '-' && sign != ' ') return false;
    int hours, mins;
    if (text.size() == 6 && text[3] == ':') {
        if (!Digits(text, 1, 2, hours) || !Digits(text, 4, 2, mins)) return false;
    } else if (text.size() == 5) {
        if (!Digits(text, 1, 2, hours) || !Digits(text, 3, 2, mins)) return false;
    } else {
        return false;
    }
    if (hours > 14 || mins > 59) return false;
    minutes = (hours * 60 + mins) * (sign == '-' ? -1 : 1);
    return true;
}

bool ParseQueryInstant(std::string_view text, int defaultZoneMinutes, int64_t& utcSeconds) {
    WallSeconds wall;
    if (!ParseDateText(text.substr(0, 10), wall)) return false;
    int zone = defaultZoneMinutes;
    if (text.size() > 10) {
        int seconds;
        if (text[10] != 'T' || text.size() < 19 || !ParseClockText(text.substr(11, 8), seconds)) return false;
        wall += seconds;
        size_t at = 19;
        if (at < text.size() && text[at] == '.') {
            ++at;
            const size_t digitsStart = at;
            while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
            if (at == digitsStart || at - digitsStart > 9) return false;
        }
        if (at < text.size() && !ParseZoneText(text.substr(at), zone)) return false;
    }
    utcSeconds = ToUtc(wall, zone);
    return true;
}

std::string FormatDateText(WallSeconds value) {
    const DateParts date = DecodeDate(static_cast<TDateTime>(DayOf(value) / kSecondsPerDay));
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

std::string FormatZoneText(int zoneMinutes) {
    const int absolute = zoneMinutes < 0 ? -zoneMinutes : zoneMinutes;
    return (zoneMinutes < 0 ? "-" : "+") + TwoDigits(absolute / 60) + ":" + TwoDigits(absolute % 60);
}

std::string FormatFeedTime(WallSeconds value, int zoneMinutes) {
    const int64_t seconds = value - DayOf(value);
    return FormatDateText(value) + "T" + TwoDigits(static_cast<int>(seconds / 3600)) + ":" +
           TwoDigits(static_cast<int>(seconds / 60 % 60)) + ":" + TwoDigits(static_cast<int>(seconds % 60)) + ".000" +
           FormatZoneText(zoneMinutes);
}

std::string FormatUtcStamp(int64_t utcSeconds) {
    std::string text = FormatFeedTime(utcSeconds, 0);
    return text.substr(0, text.size() - 6) + "Z";
}

int MachineZoneMinutes(WallSeconds day) {
    const DateParts date = DecodeDate(static_cast<TDateTime>(DayOf(day) / kSecondsPerDay));
    std::tm local{};
    local.tm_year = date.year - 1900;
    local.tm_mon = date.month - 1;
    local.tm_mday = date.day;
    local.tm_hour = 12;
    local.tm_isdst = -1;
    const std::time_t moment = std::mktime(&local);
    std::tm resolved{};
    if (moment == static_cast<std::time_t>(-1) || !localtime_r(&moment, &resolved)) return 0;
    return static_cast<int>(resolved.tm_gmtoff / 60);
}

WallSeconds MachineWallNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return static_cast<int64_t>(now) + local.tm_gmtoff + kUnixEpochDay * kSecondsPerDay;
}

}  // namespace tessel::service
