// Reading iCalendar files: content lines, texts, values, damaged files and the bounds on work.
#include "ical_test_support.h"

namespace tessel::testing {
namespace {

// A zone of one offset; UTC by default, so the values read come out as written.
class FixedZone final : public ical::Zone {
public:
    explicit FixedZone(int32_t offset = 0) : offset_(offset) {}
    int32_t OffsetAt(int64_t) const override { return offset_; }

private:
    int32_t offset_;
};

std::string Event(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nBEGIN:VEVENT\r\nUID:a\r\n" + body + "END:VEVENT\r\nEND:VCALENDAR\r\n";
}

// "START END SUMMARY" of each occurrence from `from` to `to` (1990 to 2040 by default) in the
// zone of that offset, sorted; the expansion's warnings as texts into warnings.
std::vector<std::string> Lines(const ical::Calendar& c, std::vector<std::string>* warnings = nullptr,
                               int32_t offset = 0, const char* from = "19900101", const char* to = "20400101") {
    FixedZone zone(offset);
    std::vector<ical::Warning> cut;
    std::vector<std::string> out;
    for (const auto& o : ical::Expand(c, Stamp(from) / 86400, Stamp(to) / 86400, zone, &cut))
        out.push_back(WallStamp(o.Start, o.AllDay) + " " + WallStamp(o.End, o.AllDay) + " " +
                      std::string(c.Text(c.Events[o.EventIndex].Summary)));
    std::sort(out.begin(), out.end());
    if (warnings)
        for (const auto& w : cut) warnings->push_back(w.Text("t.ics"));
    return out;
}

std::vector<std::string> WarningTexts(const ical::Calendar& c) {
    std::vector<std::string> out;
    for (const auto& w : c.Warnings) out.push_back(w.Text("t.ics"));
    return out;
}

TEST(IcalRead, ContentLinesAndTexts) {
    const struct {
        const char* name;
        std::string file;
        const char* summary;
    } cases[] = {
        {"folded by a blank, a tab and with bare LFs",
         "BEGIN:VCALENDAR\nBEGIN:VEVENT\nDTSTART:20260101T100000Z\nSUMM\n ARY:Tea\n\tm meet\r\n ing\nEND:VEVENT\nEND:VCALENDAR\n",
         "Team meeting"},
        {"byte-order mark and names in any case",
         "\xEF\xBB\xBF" "begin:vcalendar\r\nBegin:VEvent\r\ndtStart:20260101T100000Z\r\nsummary:x\r\nend:vevent\r\nEND:VCALENDAR\r\n",
         "x"},
        {"escapes", Event("DTSTART:20260101T100000Z\r\nSUMMARY:a\\\\b\\;c\\,d\\ne\\Nf\r\n"), "a\\b;c,d\ne\nf"},
        {"quoted parameters with several values",
         Event("DTSTART;X-A=\"x:y;z\",plain;TZID=UTC:20260101T100000Z\r\nSUMMARY;LANGUAGE=\"de:at\":Gr\xC3\xBC\xC3\x9F" "e\r\n"),
         "Gr\xC3\xBC\xC3\x9F" "e"},
        {"a fold inside a UTF-8 sequence joins it again",
         Event("DTSTART:20260101T100000Z\r\nSUMMARY:Gr\xC3\r\n \xBC\xC3\x9F" "e\r\n"), "Gr\xC3\xBC\xC3\x9F" "e"},
        {"invalid bytes replaced, the rest kept",
         Event("DTSTART:20260101T100000Z\r\nSUMMARY:a\xFF" "b\xC3(\xE2\x82\r\n"), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD(\xEF\xBF\xBD\xEF\xBF\xBD"},
        {"a NUL and other control characters left out of a title",
         Event("DTSTART:20260101T100000Z\r\nSUMMARY:Tea" + std::string(1, '\0') + "\x01 time\tok\r\n"), "Tea time\tok"},
        {"a component passed over whose folded name is followed by longer folded lines",
         "BEGIN:VCALENDAR\r\nBEGIN:X-LONG-COMPO\r\n NENT-NAME\r\nX-A:" + std::string(4000, 'a') + "\r\n " +
             std::string(4000, 'b') + "\r\nEND:X-LONG-COMPONENT-NAME\r\nBEGIN:VEVENT\r\nDTSTART:20260101T100000Z\r\n"
             "SUMMARY:after\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n",
         "after"},
        {"other components and unknown properties skipped",
         "BEGIN:VCALENDAR\r\nBEGIN:VTODO\r\nSUMMARY:todo\r\nEND:VTODO\r\nBEGIN:X-THING\r\nBEGIN:VEVENT\r\nEND:VEVENT\r\n"
         "END:X-THING\r\nBEGIN:VEVENT\r\nX-FOO;BAR=1:2\r\nDTSTART:20260101T100000Z\r\nBEGIN:VALARM\r\nSUMMARY:alarm\r\n"
         "END:VALARM\r\nSUMMARY:kept\r\nEND:VEVENT\r\nBEGIN:VJOURNAL\r\nEND:VJOURNAL\r\nEND:VCALENDAR\r\n",
         "kept"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ical::Calendar calendar = ical::ReadCalendar(c.file, "t.ics");
        ASSERT_EQ(calendar.Events.size(), 1u);
        EXPECT_EQ(calendar.Text(calendar.Events[0].Summary), c.summary);
    }
}

// Refused whole: not iCalendar, or nothing readable left (the first problem is named).
TEST(IcalRead, DamagedFilesNameFileAndLine) {
    const struct {
        std::string file;
        const char* message;
    } cases[] = {
        {"", "t.ics, line 1: not an iCalendar file (it does not begin with BEGIN:VCALENDAR)"},
        {"BEGIN:VEVENT\r\n", "t.ics, line 1: not an iCalendar file (it does not begin with BEGIN:VCALENDAR)"},
        {"BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nDTSTART:20260101T100000Z\r\n", "t.ics, line 2: the file ends inside VEVENT begun here"},
        {"BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nno colon here\r\n", "t.ics, line 3: a line without ':'"},
        {Event("DTSTART:20260230T100000Z\r\n"), "t.ics, line 5: a date that does not exist '20260230T100000Z'"},
        {Event("DTSTART:20260101T250000\r\n"), "t.ics, line 5: a time that does not exist '20260101T250000'"},
        {"<!DOCTYPE html>\r\n<html><body>Sign in</body></html>\r\n",
         "t.ics, line 1: not an iCalendar file (it does not begin with BEGIN:VCALENDAR)"},
        {std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), "t.ics, line 1: not an iCalendar file (it does not begin with BEGIN:VCALENDAR)"},
        {Event("DTSTART;TZID=\"Europe/Berlin:20260101T100000\r\n"),
         "t.ics, line 5: a parameter value without its closing quote"},
        {"BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nEND:VTODO\r\n", "t.ics, line 3: END:VTODO inside VEVENT"},
        {"BEGIN:VCALENDAR\r\nBEGIN:VTIMEZONE\r\nTZID:x\r\nBEGIN:STANDARD\r\nTZOFFSETTO:+0100\r\nEND:STANDARD\r\n",
         "t.ics, line 4: a time zone's STANDARD or DAYLIGHT without TZOFFSETFROM, TZOFFSETTO or DTSTART"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            ical::ReadCalendar(c.file, "t.ics");
            ADD_FAILURE() << "read without an error";
        } catch (const ical::EIcalError& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ("t.ics, line " + std::to_string(e.Line) + ": " + e.Reason, c.message);
        }
    }
}

TEST(IcalRead, EndsDurationsAndPeriods) {
    const struct {
        const char* name;
        std::string body;
        std::vector<std::string> lines;
    } cases[] = {
        {"a date lasts one day", "DTSTART;VALUE=DATE:20260305\r\n", {"20260305 20260306 "}},
        {"VALUE=DATE on a date-time keeps the date", "DTSTART;VALUE=DATE:20260305T100000\r\n", {"20260305 20260306 "}},
        {"a date-time lasts no time", "DTSTART:20260305T100000Z\r\n", {"20260305T1000 20260305T1000 "}},
        {"DTEND of dates, several days", "DTSTART;VALUE=DATE:20260305\r\nDTEND;VALUE=DATE:20260308\r\n",
         {"20260305 20260308 "}},
        {"weeks", "DTSTART:20260305T100000Z\r\nDURATION:P2W\r\n", {"20260305T1000 20260319T1000 "}},
        {"days and time", "DTSTART:20260305T100000Z\r\nDURATION:P1DT2H30M15S\r\n", {"20260305T1000 20260306T1230 "}},
        {"a negative duration lasts no time", "DTSTART:20260305T100000Z\r\nDURATION:-PT15M\r\n",
         {"20260305T1000 20260305T1000 "}},
        {"RDATE periods with an end or a duration, and a plain RDATE taking the event's length",
         "DTSTART:20260305T100000Z\r\nDURATION:PT1H\r\n"
         "RDATE;VALUE=PERIOD:20260306T080000Z/20260306T083000Z,20260307T080000Z/PT2H\r\nRDATE:20260308T070000Z\r\n",
         {"20260305T1000 20260305T1100 ", "20260306T0800 20260306T0830 ", "20260307T0800 20260307T1000 ",
          "20260308T0700 20260308T0800 "}},
        {"two RRULEs, duplicates once, EXDATE wins",
         "DTSTART:20260302T100000Z\r\nRRULE:FREQ=WEEKLY;COUNT=3\r\nRRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=2\r\n"
         "EXDATE:20260309T100000Z\r\n",
         {"20260302T1000 20260302T1000 ", "20260316T1000 20260316T1000 "}},
        {"UNTIL as a date includes that day", "DTSTART;VALUE=DATE:20260302\r\nRRULE:FREQ=DAILY;UNTIL=20260304\r\n",
         {"20260302 20260303 ", "20260303 20260304 ", "20260304 20260305 "}},
        {"a cancelled event is left out", "DTSTART:20260305T100000Z\r\nSTATUS:CANCELLED\r\n", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Lines(ical::ReadCalendar(Event(c.body), "t.ics")), c.lines);
    }
}

TEST(IcalRead, UnknownZoneIsFloatingAndSaidSo) {
    const ical::Calendar c = ical::ReadCalendar(Event("DTSTART;TZID=Nowhere/Atlantis:20260305T100000\r\n"), "t.ics");
    EXPECT_EQ(Lines(c), std::vector<std::string>{"20260305T1000 20260305T1000 "});
    EXPECT_EQ(WarningTexts(c), std::vector<std::string>{"t.ics, line 5: unknown time zone 'Nowhere/Atlantis', read as floating local time"});
}

TEST(IcalRead, RulesThatRarelyOrNeverMatchStopEarly) {
    const struct {
        const char* name;
        const char* body;
        size_t occurrences;
        const char* warning;
    } cases[] = {
        {"February 30th, with a COUNT to reach", "DTSTART:20260130T100000Z\r\nRRULE:FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=30;COUNT=2\r\n",
         1, ""},
        {"every second of decades", "DTSTART:20260101T000000Z\r\nRRULE:FREQ=SECONDLY\r\n", 5000,
         "t.ics, line 3: an untitled event has more occurrences than are shown, cut short"},
        {"every second of February at an hour that cannot be: the rule is ignored",
         "DTSTART:20260101T000000Z\r\nRRULE:FREQ=SECONDLY;BYMONTH=2;BYHOUR=25\r\n", 1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> warnings;
        const auto file = Event(c.body);
        EXPECT_EQ(Lines(ical::ReadCalendar(file, "t.ics"), &warnings).size(), c.occurrences);
        EXPECT_EQ(warnings, *c.warning ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
    }
}

}  // namespace
}  // namespace tessel::testing
