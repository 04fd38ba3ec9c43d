#pragma once
// Locale-dependent date and time texts used by the event model: the time separator of the
// "h:mm AM/PM" day lines and the short date and long time forms of the reminder balloon.
// The Windows build asks the user's locale; the portable default is the US English form.
#include <memory>
#include <string>

#include "base/date_time.h"

namespace tessel {

class ILocaleFormat {
public:
    virtual ~ILocaleFormat() = default;
    virtual char16_t TimeSeparator() const = 0;
    virtual std::u16string ShortDate(TDateTime value) const = 0;
    virtual std::u16string LongTime(TDateTime value) const = 0;
};

// m/d/yyyy and h:mm:ss AM, separator ':'.
class DefaultLocaleFormat : public ILocaleFormat {
public:
    char16_t TimeSeparator() const override { return u':'; }
    std::u16string ShortDate(TDateTime value) const override;
    std::u16string LongTime(TDateTime value) const override;
};

// The user's locale on Windows; DefaultLocaleFormat elsewhere.
std::unique_ptr<ILocaleFormat> CreateSystemLocaleFormat();

// "h:mm AM/PM": hour on the 12-hour clock without a leading zero, the separator, two-digit
// minutes, a blank, then AM or PM.
std::u16string FormatTimeAmPm(TDateTime value, char16_t separator);

// The short date, a blank and the long time; the time is left out when the value is exactly
// midnight.
std::u16string FormatDateTimeText(const ILocaleFormat& locale, TDateTime value);

}  // namespace tessel
