#pragma once
// Helpers of the iCalendar tests: a calendar from lines, occurrences as "YYYYMMDDTHHMM" texts,
// and expected lists written with day or minute ranges.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "ical/ical.h"

namespace tessel::testing {

inline std::string IcsFile(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

inline std::string WallStamp(int64_t wall, bool allDay) {
    using namespace std::chrono;
    const auto secs = sys_seconds{seconds{wall}};
    const auto day = floor<days>(secs);
    const year_month_day ymd{day};
    const auto t = duration_cast<minutes>(secs - day).count();
    char text[32];
    if (allDay) std::snprintf(text, sizeof text, "%04d%02u%02u", int(ymd.year()), unsigned(ymd.month()), unsigned(ymd.day()));
    else
        std::snprintf(text, sizeof text, "%04d%02u%02uT%02d%02d", int(ymd.year()), unsigned(ymd.month()),
                      unsigned(ymd.day()), int(t / 60), int(t % 60));
    return text;
}

inline int64_t Stamp(const std::string& text) {
    using namespace std::chrono;
    const year_month_day ymd{year{std::stoi(text.substr(0, 4))}, month{unsigned(std::stoi(text.substr(4, 2)))},
                             day{unsigned(std::stoi(text.substr(6, 2)))}};
    int64_t wall = sys_days{ymd}.time_since_epoch().count() * 86400;
    if (text.size() >= 13) wall += std::stoi(text.substr(9, 2)) * 3600 + std::stoi(text.substr(11, 2)) * 60;
    return wall;
}

// "19970902" (at the default time), "19970902T0915", or a range "FIRST..LAST/STEP" with STEP as
// "7d" or "20m": every step from the first to the last.
inline std::vector<std::string> Expected(const std::vector<std::string>& items, const std::string& time = "0900") {
    std::vector<std::string> out;
    for (std::string item : items) {
        const size_t dots = item.find("..");
        if (dots == std::string::npos) {
            out.push_back(item.size() == 8 ? item + "T" + time : item);
            continue;
        }
        const size_t slash = item.find('/');
        std::string first = item.substr(0, dots), last = item.substr(dots + 2, slash - dots - 2);
        if (first.size() == 8) first += "T" + time, last += "T" + time;
        const std::string step = item.substr(slash + 1);
        const int64_t by = std::stoll(step) * (step.back() == 'd' ? 86400 : 60);
        for (int64_t w = Stamp(first); w <= Stamp(last); w += by) out.push_back(WallStamp(w, false));
    }
    std::sort(out.begin(), out.end());
    return out;
}

}  // namespace tessel::testing
