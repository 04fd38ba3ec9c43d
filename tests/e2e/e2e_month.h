#pragma once
// What the month grid should show, worked out here from the calendar and the cache file alone
// (not with the program's own month arithmetic), so the pixel checks compare against an
// independent answer.
#include <set>
#include <string_view>

namespace tessel::e2e {

struct ExpectedMonth {
    int Year = 0;
    int Month = 0;
    int WeekCount = 0;  // week rows: Sunday to Saturday, from the week of the 1st to that of the last
    int FirstCell = 0;  // day number of the Sunday on or before the 1st

    static ExpectedMonth Of(int year, int month);
    // Day number shown at a day column (0 Sunday ... 6 Saturday) and week row.
    int DayAt(int column, int row) const { return FirstCell + row * 7 + column; }
    bool InMonth(int day) const;
};

// A date as a whole day number (days since 1899-12-30, the program's date values).
int DayNumber(int year, int month, int day);

// The days on which some occurrence in an event cache file starts: the date part of every
// startTime attribute, as the grid marks days with events.
std::set<int> EventStartDays(std::string_view cacheBytes);

}  // namespace tessel::e2e
