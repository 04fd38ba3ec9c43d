#include "calendar/locale_format.h"

#include <string>

#include "base/text.h"

namespace tessel {

namespace {

std::u16string Number(int value, int minDigits) {
    std::string digits = std::to_string(value);
    if (int(digits.size()) < minDigits) digits.insert(0, size_t(minDigits) - digits.size(), '0');
    return Widen(digits);
}

int Hour12(int hour) { return hour % 12 == 0 ? 12 : hour % 12; }

}  // namespace

std::u16string FormatTimeAmPm(TDateTime value, char16_t separator) {
    const TimeParts t = DecodeTime(value);
    return Number(Hour12(t.hour), 1) + separator + Number(t.minute, 2) + (t.hour < 12 ? u" AM" : u" PM");
}

std::u16string DefaultLocaleFormat::ShortDate(TDateTime value) const {
    const DateParts d = DecodeDate(value);
    return Number(d.month, 1) + u'/' + Number(d.day, 1) + u'/' + Number(d.year, 4);
}

std::u16string DefaultLocaleFormat::LongTime(TDateTime value) const {
    const TimeParts t = DecodeTime(value);
    return Number(Hour12(t.hour), 1) + u':' + Number(t.minute, 2) + u':' + Number(t.second, 2) +
           (t.hour < 12 ? u" AM" : u" PM");
}

std::u16string FormatDateTimeText(const ILocaleFormat& locale, TDateTime value) {
    std::u16string text = locale.ShortDate(value);
    const TimeParts t = DecodeTime(value);
    if (t.hour != 0 || t.minute != 0 || t.second != 0 || t.millisecond != 0) text += u' ' + locale.LongTime(value);
    return text;
}

#ifndef _WIN32
std::unique_ptr<ILocaleFormat> CreateSystemLocaleFormat() { return std::make_unique<DefaultLocaleFormat>(); }
#endif

}  // namespace tessel
