// A file shaped like what calendar providers export (Windows-style zone names with their
// VTIMEZONEs, overrides, all-day and floating events, both DST days), read in Berlin: the
// machine's zone natively (TZ set), the system zone of that name on Windows.
#include "ical_test_support.h"

#include <cstdlib>
#include <ctime>
#include <optional>

namespace tessel::testing {
namespace {

const char* const kProviderFile = R"(BEGIN:VCALENDAR
PRODID:-//Provider//Export//EN
VERSION:2.0
METHOD:PUBLISH
BEGIN:VTIMEZONE
TZID:Pacific Standard Time
BEGIN:STANDARD
DTSTART:16010101T020000
TZOFFSETFROM:-0700
TZOFFSETTO:-0800
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=1SU;BYMONTH=11
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010101T020000
TZOFFSETFROM:-0800
TZOFFSETTO:-0700
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=2SU;BYMONTH=3
END:DAYLIGHT
END:VTIMEZONE
BEGIN:VTIMEZONE
TZID:W. Europe Standard Time
BEGIN:STANDARD
DTSTART:16010101T030000
TZOFFSETFROM:+0200
TZOFFSETTO:+0100
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=-1SU;BYMONTH=10
END:STANDARD
BEGIN:DAYLIGHT
DTSTART:16010101T020000
TZOFFSETFROM:+0100
TZOFFSETTO:+0200
RRULE:FREQ=YEARLY;INTERVAL=1;BYDAY=-1SU;BYMONTH=3
END:DAYLIGHT
END:VTIMEZONE
BEGIN:VEVENT
UID:weekly-1
SUMMARY:Weekly sync
DTSTART;TZID=Pacific Standard Time:20260302T080000
DTEND;TZID=Pacific Standard Time:20260302T090000
RRULE:FREQ=WEEKLY;BYDAY=MO;UNTIL=20260414T000000Z
EXDATE;TZID=Pacific Standard Time:20260316T080000
BEGIN:VALARM
TRIGGER:-PT15M
ACTION:DISPLAY
END:VALARM
END:VEVENT
BEGIN:VEVENT
UID:weekly-1
RECURRENCE-ID;TZID=Pacific Standard Time:20260323T080000
SUMMARY:Weekly sync (moved)
DTSTART;TZID=Pacific Standard Time:20260324T100000
DTEND;TZID=Pacific Standard Time:20260324T110000
END:VEVENT
BEGIN:VEVENT
UID:weekly-1
RECURRENCE-ID;TZID=Pacific Standard Time:20260330T080000
SUMMARY:Weekly sync
STATUS:CANCELLED
DTSTART;TZID=Pacific Standard Time:20260330T080000
DTEND;TZID=Pacific Standard Time:20260330T090000
END:VEVENT
BEGIN:VEVENT
UID:allday-1
SUMMARY:Conference
DTSTART;VALUE=DATE:20260305
DTEND;VALUE=DATE:20260306
END:VEVENT
BEGIN:VEVENT
UID:multi-1
SUMMARY:Ski trip
DTSTART;VALUE=DATE:20260310
DTEND;VALUE=DATE:20260313
END:VEVENT
BEGIN:VEVENT
UID:birthday-1
SUMMARY:Birthday
DTSTART;VALUE=DATE:19900312
RRULE:FREQ=YEARLY
END:VEVENT
BEGIN:VEVENT
UID:utc-1
SUMMARY:UTC review
DTSTART:20260318T120000Z
DTEND:20260318T130000Z
END:VEVENT
BEGIN:VEVENT
UID:floating-1
SUMMARY:Floating breakfast
DTSTART:20260319T090000
DURATION:PT30M
END:VEVENT
BEGIN:VEVENT
UID:ny-1
SUMMARY:New York call
DTSTART;TZID=America/New_York:20260310T090000
DTEND;TZID=America/New_York:20260310T100000
END:VEVENT
BEGIN:VEVENT
UID:spring-1
SUMMARY:Night shift spring
DTSTART;TZID=W. Europe Standard Time:20260329T023000
DTEND;TZID=W. Europe Standard Time:20260329T040000
END:VEVENT
BEGIN:VEVENT
UID:autumn-1
SUMMARY:Night shift autumn
DTSTART;TZID=W. Europe Standard Time:20261025T023000
DTEND;TZID=W. Europe Standard Time:20261025T033000
END:VEVENT
BEGIN:VEVENT
UID:rent-1
SUMMARY:Rent
DTSTART;TZID=W. Europe Standard Time:20260130T100000
DTEND;TZID=W. Europe Standard Time:20260130T110000
RRULE:FREQ=MONTHLY;BYMONTHDAY=30;COUNT=5
END:VEVENT
END:VCALENDAR
)";

class ProviderFile : public ::testing::Test {
protected:
    std::unique_ptr<ical::Zone> Berlin() {
#ifdef _WIN32
        return ical::SystemZone("Europe/Berlin");
#else
        const char* was = std::getenv("TZ");
        saved_ = was ? std::optional<std::string>(was) : std::nullopt;
        setenv("TZ", "Europe/Berlin", 1);
        return ical::MachineZone();
#endif
    }
    void TearDown() override {
#ifndef _WIN32
        if (saved_) setenv("TZ", saved_->c_str(), 1);
        else unsetenv("TZ");
        tzset();
#endif
    }

private:
    std::optional<std::string> saved_;
};

TEST_F(ProviderFile, OccurrencesInBerlin) {
    const ical::Calendar c = ical::ReadCalendar(kProviderFile, "provider.ics");
    EXPECT_TRUE(c.Warnings.empty());
    const auto berlin = Berlin();
    ASSERT_TRUE(berlin);
    std::vector<std::string> lines;
    for (const auto& o : ical::Expand(c, Stamp("20260101") / 86400, Stamp("20261101") / 86400, *berlin))
        lines.push_back(WallStamp(o.Start, o.AllDay) + " " + WallStamp(o.End, o.AllDay) + " " +
                        std::string(c.Text(c.Events[o.EventIndex].Summary)));
    std::sort(lines.begin(), lines.end());
    // 08:00 in Seattle is 17:00 in Berlin, but 16:00 in the weeks the US has changed its clocks
    // and Europe has not; the instance of the 16th is excluded, that of the 23rd moved to the
    // 24th, that of the 30th cancelled. The rent skips February. The night shift starting in
    // spring's gap starts an hour later; the one in autumn's overlap starts at the first 02:30.
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "20260130T1000 20260130T1100 Rent",
                         "20260302T1700 20260302T1800 Weekly sync",
                         "20260305 20260306 Conference",
                         "20260309T1600 20260309T1700 Weekly sync",
                         "20260310 20260313 Ski trip",
                         "20260310T1400 20260310T1500 New York call",
                         "20260312 20260313 Birthday",
                         "20260318T1300 20260318T1400 UTC review",
                         "20260319T0900 20260319T0930 Floating breakfast",
                         "20260324T1800 20260324T1900 Weekly sync (moved)",
                         "20260329T0330 20260329T0400 Night shift spring",
                         "20260330T1000 20260330T1100 Rent",
                         "20260406T1700 20260406T1800 Weekly sync",
                         "20260413T1700 20260413T1800 Weekly sync",
                         "20260430T1000 20260430T1100 Rent",
                         "20260530T1000 20260530T1100 Rent",
                         "20260630T1000 20260630T1100 Rent",
                         "20261025T0230 20261025T0330 Night shift autumn",
                     }));
}

}  // namespace
}  // namespace tessel::testing
