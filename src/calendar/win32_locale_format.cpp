// The user's locale: time separator, short date and long time through the Windows NLS calls.
#include <windows.h>

#include "calendar/locale_format.h"

namespace tessel {

namespace {

SYSTEMTIME ToSystemTime(TDateTime value) {
    const DateParts d = DecodeDate(value);
    const TimeParts t = DecodeTime(value);
    SYSTEMTIME st{};
    st.wYear = WORD(d.year);
    st.wMonth = WORD(d.month);
    st.wDay = WORD(d.day);
    st.wHour = WORD(t.hour);
    st.wMinute = WORD(t.minute);
    st.wSecond = WORD(t.second);
    st.wMilliseconds = WORD(t.millisecond);
    st.wDayOfWeek = WORD(DayOfWeek(value) - 1);
    return st;
}

std::u16string FromBuffer(const wchar_t* text, int length) {
    // length counts the terminating zero.
    return length > 1 ? std::u16string(reinterpret_cast<const char16_t*>(text), size_t(length - 1)) : std::u16string();
}

class Win32LocaleFormat final : public ILocaleFormat {
public:
    char16_t TimeSeparator() const override {
        wchar_t buffer[8] = {};
        const int n = GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_STIME, buffer, 8);
        return n > 1 ? char16_t(buffer[0]) : u':';
    }
    std::u16string ShortDate(TDateTime value) const override {
        const SYSTEMTIME st = ToSystemTime(value);
        wchar_t buffer[128];
        const int n = GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, buffer, 128);
        return n > 0 ? FromBuffer(buffer, n) : fallback_.ShortDate(value);
    }
    std::u16string LongTime(TDateTime value) const override {
        const SYSTEMTIME st = ToSystemTime(value);
        wchar_t buffer[128];
        const int n = GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, nullptr, buffer, 128);
        return n > 0 ? FromBuffer(buffer, n) : fallback_.LongTime(value);
    }

private:
    DefaultLocaleFormat fallback_;
};

}  // namespace

std::unique_ptr<ILocaleFormat> CreateSystemLocaleFormat() { return std::make_unique<Win32LocaleFormat>(); }

}  // namespace tessel
