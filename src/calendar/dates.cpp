#include "calendar/dates.h"

#include "base/errors.h"
#include "base/strict_int.h"

namespace tessel {

namespace {

constexpr const char16_t* kDayNames[] = {u"Sunday",   u"Monday", u"Tuesday", u"Wednesday",
                                         u"Thursday", u"Friday", u"Saturday"};
constexpr const char16_t* kMonthNames[] = {u"January", u"February", u"March",     u"April",   u"May",      u"June",
                                           u"July",    u"August",   u"September", u"October", u"November", u"December"};

// Characters first..first+count-1, counted from 1.
int Field(std::string_view text, size_t first, size_t count) { return StrToInt(text.substr(first - 1, count)); }

}  // namespace

void DayName(int n, std::u16string& name) {
    if (n >= 1 && n <= 7) name = kDayNames[n - 1];
}

std::u16string DayNameOf(TDateTime date) {
    std::u16string name;
    DayName(DayOfWeek(date), name);
    return name;
}

std::u16string MonthName(TDateTime date) {
    const int month = DecodeDate(date).month;
    return month >= 1 && month <= 12 ? kMonthNames[month - 1] : u"";
}

TDateTime ParseFeedDateTime(std::string_view text) {
    // Feeds always send at least a full date; anything shorter is not one, and reading its fields
    // by position would run past its end.
    if (text.size() < 10) throw EConvertError("'" + std::string(text) + "' is not a valid date and time");
    const int year = Field(text, 1, 4);
    const int month = Field(text, 6, 2);
    const int day = Field(text, 9, 2);
    int hour = 0;
    int minute = 0;
    if (text.size() >= 18) {
        hour = Field(text, 12, 2);
        minute = Field(text, 15, 2);
    }
    return EncodeDate(year, month, day) + EncodeTime(hour, minute, 0, 0);
}

}  // namespace tessel
