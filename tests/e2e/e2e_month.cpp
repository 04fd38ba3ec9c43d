#include "e2e_month.h"

#include <string>

#include "base/date_time.h"

namespace tessel::e2e {

int DayNumber(int year, int month, int day) { return int(EncodeDate(year, month, day)); }

ExpectedMonth ExpectedMonth::Of(int year, int month) {
    ExpectedMonth m;
    m.Year = year;
    m.Month = month;
    const int first = DayNumber(year, month, 1);
    const int leading = DayOfWeek(first) - 1;  // Sunday 0
    const int days = DaysInMonth(year, month);
    m.FirstCell = first - leading;
    m.WeekCount = (leading + days + 6) / 7;
    return m;
}

bool ExpectedMonth::InMonth(int day) const {
    const DateParts parts = DecodeDate(day);
    return parts.year == Year && parts.month == Month;
}

std::set<int> EventStartDays(std::string_view cache) {
    std::set<int> days;
    constexpr std::string_view kKey = "startTime=";
    for (size_t at = cache.find(kKey); at != std::string_view::npos; at = cache.find(kKey, at + 1)) {
        size_t p = at + kKey.size();
        while (p < cache.size() && (cache[p] == '"' || cache[p] == '\'')) ++p;
        const std::string_view date = cache.substr(p, 10);  // yyyy-mm-dd
        if (date.size() < 10 || date[4] != '-' || date[7] != '-') continue;
        try {
            days.insert(DayNumber(std::stoi(std::string(date.substr(0, 4))), std::stoi(std::string(date.substr(5, 2))),
                                  std::stoi(std::string(date.substr(8, 2)))));
        } catch (...) {
            // Not a date: such an occurrence marks no day in the program either.
        }
    }
    return days;
}

}  // namespace tessel::e2e
