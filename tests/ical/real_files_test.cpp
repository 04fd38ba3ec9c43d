// Files as calendar servers and programs write them, rules broken or not: what a damaged line
// costs, what the producers mean, and files made to exhaust the reader.
#include "ical_test_support.h"

namespace tessel::testing {
namespace {

class FixedZone final : public ical::Zone {
public:
    explicit FixedZone(int32_t offset) : offset_(offset) {}
    int32_t OffsetAt(int64_t) const override { return offset_; }

private:
    int32_t offset_;
};

std::string Calendar(const std::string& body) {
    return "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Example//Export//EN\r\n" + body + "END:VCALENDAR\r\n";
}

struct Outcome {
    std::vector<std::string> lines;     // "START END SUMMARY", sorted
    std::vector<std::string> warnings;  // the reader's, then the expansion's
};

// Read, then expanded over [from, to) in a zone of that offset.
Outcome ReadAndExpand(const std::string& file, int32_t offset = 0, const char* from = "20180101",
                      const char* to = "20300101") {
    const ical::Calendar c = ical::ReadCalendar(file, "work.ics");
    Outcome out;
    for (const auto& w : c.Warnings) out.warnings.push_back(w.Text("work.ics"));
    std::vector<ical::Warning> cut;
    const FixedZone zone(offset);
    for (const auto& o : ical::Expand(c, Stamp(from) / 86400, Stamp(to) / 86400, zone, &cut))
        out.lines.push_back(WallStamp(o.Start, o.AllDay) + " " + WallStamp(o.End, o.AllDay) + " " +
                            std::string(c.Text(c.Events[o.EventIndex].Summary)));
    std::sort(out.lines.begin(), out.lines.end());
    for (const auto& w : cut) out.warnings.push_back(w.Text("work.ics"));
    return out;
}

struct Row {
    const char* name;
    std::string file;
    std::vector<std::string> lines;
    std::vector<std::string> warnings;
    int32_t offset = 0;
};

void Check(const std::vector<Row>& rows) {
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome got = ReadAndExpand(row.file, row.offset);
        EXPECT_EQ(got.lines, row.lines);
        EXPECT_EQ(got.warnings, row.warnings);
    }
}

TEST(RealFiles, OneBadLineCostsOnlyItself) {
    Check({
        {"an empty RRULE, as some web exports write for a single event",
         Calendar("BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Dentist\r\nDTSTART:20260305T090000Z\r\nRRULE:\r\nEND:VEVENT\r\n"),
         {"20260305T0900 20260305T0900 Dentist"},
         {"work.ics, line 8: an empty recurrence rule, ignored"}},
        {"COUNT=-1 beside an UNTIL: the UNTIL governs",
         Calendar("BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Yoga\r\nDTSTART:20260302T180000Z\r\n"
                  "RRULE:FREQ=WEEKLY;COUNT=-1;UNTIL=20260316T180000Z\r\nEND:VEVENT\r\n"),
         {"20260302T1800 20260302T1800 Yoga", "20260309T1800 20260309T1800 Yoga", "20260316T1800 20260316T1800 Yoga"},
         {"work.ics, line 8: a COUNT out of range '-1' beside UNTIL, ignored"}},
        {"BYDAY with blanks after the commas",
         Calendar("BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Gym\r\nDTSTART:20260302T070000Z\r\n"
                  "RRULE:FREQ=WEEKLY;BYDAY=MO, WE, FR;COUNT=3\r\nEND:VEVENT\r\n"),
         {"20260302T0700 20260302T0700 Gym", "20260304T0700 20260304T0700 Gym", "20260306T0700 20260306T0700 Gym"},
         {}},
        {"a location's parameter written as a line of its own, without a colon",
         Calendar("BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Lunch\r\nDTSTART:20260305T120000Z\r\n"
                  "X-APPLE-STRUCTURED-LOCATION;VALUE=URI;X-TITLE=Cafe:geo:52.5,13.4\r\nX-APPLE-RADIUS=49.9\r\nEND:VEVENT\r\n"),
         {"20260305T1200 20260305T1200 Lunch"},
         {"work.ics, line 9: a line without ':', the line is skipped"}},
        {"damage inside the components not shown: free-busy, a task, an alarm, a journal",
         Calendar("BEGIN:VFREEBUSY\r\nFREEBUSY:garbage\r\nno colon\r\nEND:VFREEBUSY\r\nBEGIN:VTODO\r\nDUE:2026\r\nEND:VTODO\r\n"
                  "BEGIN:VJOURNAL\r\nDTSTART:x\r\nEND:VJOURNAL\r\nBEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Call\r\n"
                  "DTSTART:20260305T150000Z\r\nBEGIN:VALARM\r\nTRIGGER;RELATED=\"END:-PT5M\r\nEND:VALARM\r\nEND:VEVENT\r\n"),
         {"20260305T1500 20260305T1500 Call"},
         {}},
        {"a date with a stray Z",
         Calendar("BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Holiday\r\nDTSTART;VALUE=DATE:20261210Z\r\nEND:VEVENT\r\n"),
         {"20261210 20261211 Holiday"},
         {"work.ics, line 7: a date with a stray 'Z' '20261210Z', read as the date"}},
        {"a VTIMEZONE without observances, as a server marks a zone it does not know",
         Calendar("BEGIN:VTIMEZONE\r\nTZID:Customized Time Zone\r\nX-INVALID-TIMEZONE:TRUE\r\nEND:VTIMEZONE\r\n"
                  "BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Review\r\nDTSTART;TZID=Customized Time Zone:20260305T100000\r\nEND:VEVENT\r\n"),
         {"20260305T1000 20260305T1000 Review"},
         {"work.ics, line 4: a VTIMEZONE without TZID or observances, ignored",
          "work.ics, line 11: unknown time zone 'Customized Time Zone', read as floating local time"}},
        {"an event whose start cannot be read is left out, the next one kept; bad values of another ignored",
         Calendar("BEGIN:VEVENT\r\nUID:1\r\nDTSTART:20260230T100000Z\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:2\r\n"
                  "SUMMARY:Kept\r\nDTSTART;VALUE=DATE:20260305\r\nDURATION:P1H\r\nRRULE:FREQ=MONTHLY;BYMONTHDAY=32\r\n"
                  "RRULE:COUNT=3\r\nEND:VTODO\r\nEND:VEVENT\r\n"),
         {"20260305 20260306 Kept"},
         {"work.ics, line 6: a date that does not exist '20260230T100000Z', the event is left out",
          "work.ics, line 12: a bad duration 'P1H', ignored", "work.ics, line 13: a BYMONTHDAY out of range '32', ignored",
          "work.ics, line 14: a recurrence rule without FREQ, ignored", "work.ics, line 15: END:VTODO inside VEVENT, ignored"}},
        {"a file cut off inside its second event keeps the first",
         "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Whole\r\nDTSTART:20260305T100000Z\r\nEND:VEVENT\r\n"
         "BEGIN:VEVENT\r\nUID:2\r\nSUMMARY:Cut\r\nDTSTART:20260306T100000Z\r\nRRULE:FREQ=DA",
         {"20260305T1000 20260305T1000 Whole"},
         {"work.ics, line 11: an unknown FREQ 'DA', ignored", "work.ics, line 7: the file ends inside VEVENT begun here, it is left out",
          "work.ics, line 1: the file ends inside VCALENDAR begun here"}},
        {"a missing END:VEVENT before END:VCALENDAR",
         "BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:1\r\nSUMMARY:Open\r\nDTSTART:20260305T100000Z\r\nEND:VCALENDAR\r\n",
         {"20260305T1000 20260305T1000 Open"},
         {"work.ics, line 6: END:VCALENDAR with VEVENT still open, that ends it too"}},
    });
}

// Only recent years, as some servers send: the first onset is an autumn's.
std::string RecentZone(const char* tzid) {
    return std::string("BEGIN:VTIMEZONE\r\nTZID:") + tzid + "\r\nBEGIN:STANDARD\r\nDTSTART:20191027T030000\r\nTZOFFSETFROM:+0200\r\n"
    "TZOFFSETTO:+0100\r\nRRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU\r\nEND:STANDARD\r\nBEGIN:DAYLIGHT\r\n"
    "DTSTART:20200329T020000\r\nTZOFFSETFROM:+0100\r\nTZOFFSETTO:+0200\r\nRRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=-1SU\r\n"
    "END:DAYLIGHT\r\nEND:VTIMEZONE\r\n";
}

TEST(RealFiles, WhatProducersMean) {
    const std::string twoRevisions = Calendar(
        "BEGIN:VEVENT\r\nUID:s\r\nSEQUENCE:2\r\nDTSTAMP:20260101T000000Z\r\nSUMMARY:Planning v2\r\nDTSTART:20260302T090000Z\r\n"
        "RRULE:FREQ=DAILY;COUNT=3\r\nEXDATE:20260303T090000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:s\r\nSEQUENCE:1\r\nDTSTAMP:20260201T000000Z\r\nSUMMARY:Planning v1\r\nDTSTART:20260302T080000Z\r\n"
        "RRULE:FREQ=DAILY;COUNT=3\r\nEXDATE:20260304T080000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID:20260304T090000Z\r\nSEQUENCE:2\r\nDTSTAMP:20260101T000000Z\r\n"
        "SUMMARY:Moved old\r\nDTSTART:20260304T140000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID:20260304T090000Z\r\nSEQUENCE:2\r\nDTSTAMP:20260102T000000Z\r\n"
        "SUMMARY:Moved\r\nDTSTART:20260304T150000Z\r\nEND:VEVENT\r\n"
        "BEGIN:VEVENT\r\nUID:s\r\nRECURRENCE-ID:20260304T090000Z\r\nSEQUENCE:2\r\nDTSTAMP:20260102T000000Z\r\n"
        "SUMMARY:Moved\r\nDTSTART:20260304T150000Z\r\nEND:VEVENT\r\n");
    Check({
        {"a revised series and a twice-revised, twice-sent override: the latest of each, the newer EXDATE",
         twoRevisions,
         {"20260302T0900 20260302T0900 Planning v2", "20260304T1500 20260304T1500 Moved"},
         {}},
        {"an all-day series with an override whose RECURRENCE-ID has a time, as a mail server writes it",
         Calendar("BEGIN:VEVENT\r\nUID:a\r\nSUMMARY:Rota\r\nDTSTART;VALUE=DATE:20260302\r\nRRULE:FREQ=DAILY;COUNT=3\r\n"
                  "EXDATE;TZID=W. Europe Standard Time:20260302T000000\r\nEND:VEVENT\r\n"
                  "BEGIN:VEVENT\r\nUID:a\r\nSUMMARY:Rota swapped\r\nRECURRENCE-ID;TZID=W. Europe Standard Time:20260303T000000\r\n"
                  "DTSTART;VALUE=DATE:20260310\r\nEND:VEVENT\r\n"),
         {"20260304 20260305 Rota", "20260310 20260311 Rota swapped"},
         {}},
        {"an all-day series with a UTC UNTIL at the end of the day, as a web calendar writes it, seen east of UTC",
         Calendar("BEGIN:VEVENT\r\nUID:u\r\nSUMMARY:Course\r\nDTSTART;VALUE=DATE:20260302\r\n"
                  "RRULE:FREQ=DAILY;UNTIL=20260303T235959Z\r\nEND:VEVENT\r\n"),
         {"20260302 20260303 Course", "20260303 20260304 Course"},
         {},
         10 * 3600},
        {"a date UNTIL on a timed series ends at the start of that day",
         Calendar("BEGIN:VEVENT\r\nUID:d\r\nSUMMARY:Shift\r\nDTSTART:20260302T100000Z\r\nRRULE:FREQ=DAILY;UNTIL=20260304\r\nEND:VEVENT\r\n"),
         {"20260302T1000 20260302T1000 Shift", "20260303T1000 20260303T1000 Shift"},
         {}},
        {"an event before its VTIMEZONE's first onset: the platform's zone of that name",
         Calendar(RecentZone("Europe/Berlin") +
                  "BEGIN:VEVENT\r\nUID:o\r\nSUMMARY:Old\r\nDTSTART;TZID=Europe/Berlin:20190715T100000\r\nEND:VEVENT\r\n"),
         {"20190715T0800 20190715T0800 Old"},
         {}},
        {"an event before its VTIMEZONE's first onset, a zone the platform does not know: the standard offset",
         Calendar(RecentZone("Berlin Recent") +
                  "BEGIN:VEVENT\r\nUID:o\r\nSUMMARY:Old\r\nDTSTART;TZID=Berlin Recent:20190715T100000\r\nEND:VEVENT\r\n"
                  "BEGIN:VEVENT\r\nUID:n\r\nSUMMARY:New\r\nDTSTART;TZID=Berlin Recent:20260715T100000\r\nEND:VEVENT\r\n"),
         {"20190715T0900 20190715T0900 Old", "20260715T0800 20260715T0800 New"},
         {}},
        {"several VCALENDARs in one file",
         Calendar("BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:First\r\nDTSTART:20260305T100000Z\r\nEND:VEVENT\r\n") +
             Calendar("BEGIN:VEVENT\r\nUID:2\r\nSUMMARY:Second\r\nDTSTART:20260306T100000Z\r\nEND:VEVENT\r\n"),
         {"20260305T1000 20260305T1000 First", "20260306T1000 20260306T1000 Second"},
         {}},
        {"RANGE=THISANDFUTURE moves that instance and every later one",
         Calendar("BEGIN:VEVENT\r\nUID:t\r\nSUMMARY:Standup\r\nDTSTART:20260302T090000Z\r\nDURATION:PT15M\r\n"
                  "RRULE:FREQ=DAILY;COUNT=4\r\nEND:VEVENT\r\nBEGIN:VEVENT\r\nUID:t\r\n"
                  "RECURRENCE-ID;RANGE=THISANDFUTURE:20260303T090000Z\r\nSUMMARY:Standup later\r\n"
                  "DTSTART:20260303T093000Z\r\nDURATION:PT30M\r\nEND:VEVENT\r\n"),
         {"20260302T0900 20260302T0915 Standup", "20260303T0930 20260303T1000 Standup later",
          "20260304T0930 20260304T1000 Standup later", "20260305T0930 20260305T1000 Standup later"},
         {}},
        {"a TZID in path form with no VTIMEZONE: the zone of its tail",
         Calendar("BEGIN:VEVENT\r\nUID:p\r\nSUMMARY:Call\r\nDTSTART;TZID=/example.org/20050126_1/Europe/Berlin:20260305T100000\r\n"
                  "END:VEVENT\r\nBEGIN:VEVENT\r\nUID:q\r\nSUMMARY:Call 2\r\nDTSTART;TZID=/Europe/Berlin:20260306T100000\r\nEND:VEVENT\r\n"),
         {"20260305T0900 20260305T0900 Call", "20260306T0900 20260306T0900 Call 2"},
         {}},
        {"DTSTART is not counted against a second RRULE it does not fit",
         Calendar("BEGIN:VEVENT\r\nUID:r\r\nSUMMARY:Class\r\nDTSTART:20260302T100000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=MO;COUNT=1\r\n"
                  "RRULE:FREQ=WEEKLY;BYDAY=WE;COUNT=2\r\nEND:VEVENT\r\n"),
         {"20260302T1000 20260302T1000 Class", "20260304T1000 20260304T1000 Class", "20260311T1000 20260311T1000 Class"},
         {}},
        {"kept as before: an all-day DTEND equal to DTSTART shows one day; a date EXDATE removes that day's instance",
         Calendar("BEGIN:VEVENT\r\nUID:e\r\nSUMMARY:Day\r\nDTSTART;VALUE=DATE:20260305\r\nDTEND;VALUE=DATE:20260305\r\nEND:VEVENT\r\n"
                  "BEGIN:VEVENT\r\nUID:x\r\nSUMMARY:Daily\r\nDTSTART:20260302T100000Z\r\nRRULE:FREQ=DAILY;COUNT=3\r\n"
                  "EXDATE;VALUE=DATE:20260303\r\nEND:VEVENT\r\n"),
         {"20260302T1000 20260302T1000 Daily", "20260304T1000 20260304T1000 Daily", "20260305 20260306 Day"},
         {}},
    });
}

// "lo,lo+1,...,hi"
std::string Range(int lo, int hi) {
    std::string out;
    for (int v = lo; v <= hi; ++v) {
        if (v > lo) out += ',';
        out += std::to_string(v);
    }
    return out;
}

std::string Repeated(const std::string& piece, size_t times) {
    std::string out;
    out.reserve(piece.size() * times);
    for (size_t i = 0; i < times; ++i) out += piece;
    return out;
}

// Files made to exhaust the reader: each must come back quickly with what can be shown, and say
// which event was cut.
TEST(RealFiles, HostileFilesAreBounded) {
    std::string periods = "RDATE;VALUE=PERIOD:";
    for (int day = 0; day < 20000; ++day) {
        char item[48];
        const int64_t wall = Stamp("19900101") + int64_t(day) * 86400 + 12 * 3600;
        std::snprintf(item, sizeof item, "%s%s00Z/PT%dM", day ? "," : "", WallStamp(wall, false).c_str(), 1 + day % 50);
        periods += item;
    }
    const struct {
        const char* name;
        std::string body;
        const char *from, *to;
        std::vector<std::string> first;  // the first occurrences, in order
        size_t count;
        std::vector<std::string> warnings;
    } rows[] = {
        {"every second of every day of a year, by BY parts",
         "DTSTART:20200101T000000Z\r\nRRULE:FREQ=YEARLY;BYMONTHDAY=" + Range(1, 31) + ";BYHOUR=" + Range(0, 23) +
             ";BYMINUTE=" + Range(0, 59) + ";BYSECOND=" + Range(0, 59) + "\r\n",
         "20260301", "20260302", {"20260301T0000 20260301T0000 x", "20260301T0000 20260301T0000 x"}, 5000,
         {"work.ics, line 4: the event 'x' has more occurrences than are shown, cut short"}},
        {"every second, decades after its start", "DTSTART:19900101T000000Z\r\nRRULE:FREQ=SECONDLY\r\n", "20260301",
         "20260302", {"20260301T0000 20260301T0000 x"}, 5000,
         {"work.ics, line 4: the event 'x' has more occurrences than are shown, cut short"}},
        {"a daily series counted since 1990", "DTSTART:19900101T100000Z\r\nRRULE:FREQ=DAILY;COUNT=20000\r\n",
         "20260301", "20260304", {"20260301T1000 20260301T1000 x"}, 3, {}},
        {"an hourly series counted", "DTSTART:20250101T000000Z\r\nRRULE:FREQ=HOURLY;COUNT=40000\r\n", "20260301",
         "20260302", {"20260301T0000 20260301T0000 x"}, 24, {}},
        {"every quarter hour, counted, to its last", "DTSTART:20250101T000000Z\r\nRRULE:FREQ=MINUTELY;INTERVAL=15;COUNT=50000\r\n",
         "20260605", "20260606", {"20260605T0000 20260605T0000 x"}, 80, {}},
        {"a weekly series with BYDAY counted from long ago",
         "DTSTART:19900101T100000Z\r\nRRULE:FREQ=WEEKLY;BYDAY=MO,TH;COUNT=100000\r\n", "20260301", "20260308",
         {"20260302T1000 20260302T1000 x", "20260305T1000 20260305T1000 x"}, 2, {}},
        {"20,000 RDATE periods, each its own length", "DTSTART:19900101T120000Z\r\n" + periods + "\r\n", "20440101",
         "20450101", {"20440101T1200 20440101T1224 x"}, 277, {}},
        {"a megabyte of empty parameters", "DTSTART" + Repeated(";=", 500000) + ":20260301T100000Z\r\n", "20260301",
         "20260302", {"20260301T1000 20260301T1000 x"}, 1, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const Outcome got = ReadAndExpand(
            Calendar("BEGIN:VEVENT\r\nUID:1\r\nSUMMARY:x\r\n" + row.body + "END:VEVENT\r\n"), 0, row.from, row.to);
        ASSERT_GE(got.lines.size(), row.first.size());
        EXPECT_EQ(std::vector<std::string>(got.lines.begin(), got.lines.begin() + ptrdiff_t(row.first.size())), row.first);
        EXPECT_EQ(got.lines.size(), row.count);
        EXPECT_EQ(got.warnings, row.warnings);
    }
}

// The count a subscription's limit is checked against before reading: names in any case, folded
// continuation lines not counted.
TEST(RealFiles, EventsAreCountedInAnyCase) {
    EXPECT_EQ(ical::CountEvents("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nbegin:vevent\nBegin:VEvent\r\n"
                                "DESCRIPTION:x\r\n BEGIN:VEVENT\r\nSUMMARY:BEGIN:VEVENT\r\nBEGIN:VEVENT"),
              4u);
}

}  // namespace
}  // namespace tessel::testing
