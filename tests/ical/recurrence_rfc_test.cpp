// RFC 5545's recurrence examples (section 3.8.5.3) as known answers, in New York time with the
// RFC's own VTIMEZONE for New York (3.6.5), so no platform zone is involved.
#include "ical_test_support.h"

namespace tessel::testing {
namespace {

const std::vector<std::string> kNewYork = {
    "BEGIN:VTIMEZONE", "TZID:America/New_York",
    "BEGIN:STANDARD", "DTSTART:19671029T020000", "RRULE:FREQ=YEARLY;BYMONTH=10;BYDAY=-1SU;UNTIL=20061029T060000Z",
    "TZOFFSETFROM:-0400", "TZOFFSETTO:-0500", "END:STANDARD",
    "BEGIN:DAYLIGHT", "DTSTART:19870405T020000", "RRULE:FREQ=YEARLY;BYMONTH=4;BYDAY=1SU;UNTIL=20060402T070000Z",
    "TZOFFSETFROM:-0500", "TZOFFSETTO:-0400", "END:DAYLIGHT",
    "BEGIN:DAYLIGHT", "DTSTART:20070311T020000", "RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=2SU",
    "TZOFFSETFROM:-0500", "TZOFFSETTO:-0400", "END:DAYLIGHT",
    "BEGIN:STANDARD", "DTSTART:20071104T020000", "RRULE:FREQ=YEARLY;BYMONTH=11;BYDAY=1SU",
    "TZOFFSETFROM:-0400", "TZOFFSETTO:-0500", "END:STANDARD",
    "END:VTIMEZONE"};

struct RfcExample {
    const char* name;
    const char* start;                // DTSTART in New York
    std::vector<std::string> lines;   // RRULE and EXDATE lines
    const char* to;                   // the window's end (exclusive); it starts at DTSTART's day
    std::vector<std::string> expected;
};

std::vector<std::string> Occurrences(const RfcExample& example) {
    std::vector<std::string> lines = {"BEGIN:VCALENDAR"};
    lines.insert(lines.end(), kNewYork.begin(), kNewYork.end());
    lines.push_back("BEGIN:VEVENT");
    lines.push_back("UID:example");
    lines.push_back(std::string("DTSTART;TZID=America/New_York:") + example.start);
    lines.insert(lines.end(), example.lines.begin(), example.lines.end());
    lines.push_back("END:VEVENT");
    lines.push_back("END:VCALENDAR");
    const ical::Calendar calendar = ical::ReadCalendar(IcsFile(lines), "rfc.ics");
    const auto occurrences = ical::Expand(calendar, Stamp(example.start) / 86400, Stamp(example.to) / 86400,
                                          *calendar.Zones.at(0));
    std::vector<std::string> texts;
    for (const auto& o : occurrences) texts.push_back(WallStamp(o.Start, false));
    std::sort(texts.begin(), texts.end());
    return texts;
}

TEST(RecurrenceRfc, ExamplesGiveTheRfcAnswers) {
    const std::vector<RfcExample> examples = {
        {"daily, 10", "19970902T090000", {"RRULE:FREQ=DAILY;COUNT=10"}, "19980101", {"19970902..19970911/1d"}},
        {"daily until Dec 24", "19970902T090000", {"RRULE:FREQ=DAILY;UNTIL=19971224T000000Z"}, "19980101",
         {"19970902..19971223/1d"}},
        {"every other day", "19970902T090000", {"RRULE:FREQ=DAILY;INTERVAL=2"}, "19971204", {"19970902..19971203/2d"}},
        {"every 10 days, 5", "19970902T090000", {"RRULE:FREQ=DAILY;INTERVAL=10;COUNT=5"}, "19980101",
         {"19970902", "19970912", "19970922", "19971002", "19971012"}},
        {"January for 3 years, yearly", "19980101T090000",
         {"RRULE:FREQ=YEARLY;UNTIL=20000131T140000Z;BYMONTH=1;BYDAY=SU,MO,TU,WE,TH,FR,SA"}, "20010101",
         {"19980101..19980131/1d", "19990101..19990131/1d", "20000101..20000131/1d"}},
        {"January for 3 years, daily", "19980101T090000", {"RRULE:FREQ=DAILY;UNTIL=20000131T140000Z;BYMONTH=1"},
         "20010101", {"19980101..19980131/1d", "19990101..19990131/1d", "20000101..20000131/1d"}},
        {"weekly, 10", "19970902T090000", {"RRULE:FREQ=WEEKLY;COUNT=10"}, "19980101", {"19970902..19971104/7d"}},
        {"weekly until Dec 24", "19970902T090000", {"RRULE:FREQ=WEEKLY;UNTIL=19971224T000000Z"}, "19980101",
         {"19970902..19971223/7d"}},
        {"every other week", "19970902T090000", {"RRULE:FREQ=WEEKLY;INTERVAL=2;WKST=SU"}, "19980218",
         {"19970902..19980217/14d"}},
        {"Tu and Th for five weeks, until", "19970902T090000",
         {"RRULE:FREQ=WEEKLY;UNTIL=19971007T000000Z;WKST=SU;BYDAY=TU,TH"}, "19980101",
         {"19970902..19970930/7d", "19970904..19971002/7d"}},
        {"Tu and Th for five weeks, count", "19970902T090000", {"RRULE:FREQ=WEEKLY;COUNT=10;WKST=SU;BYDAY=TU,TH"},
         "19980101", {"19970902..19970930/7d", "19970904..19971002/7d"}},
        {"every other week MO WE FR", "19970901T090000",
         {"RRULE:FREQ=WEEKLY;INTERVAL=2;UNTIL=19971224T000000Z;WKST=SU;BYDAY=MO,WE,FR"}, "19980101",
         {"19970901..19971222/14d", "19970903..19971210/14d", "19970905..19971212/14d"}},
        {"every other week Tu Th, 8", "19970902T090000", {"RRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=8;WKST=SU;BYDAY=TU,TH"},
         "19980101", {"19970902", "19970904", "19970916", "19970918", "19970930", "19971002", "19971014", "19971016"}},
        {"first Friday, 10", "19970905T090000", {"RRULE:FREQ=MONTHLY;COUNT=10;BYDAY=1FR"}, "19990101",
         {"19970905", "19971003", "19971107", "19971205", "19980102", "19980206", "19980306", "19980403", "19980501",
          "19980605"}},
        {"first Friday until Dec 24", "19970905T090000", {"RRULE:FREQ=MONTHLY;UNTIL=19971224T000000Z;BYDAY=1FR"},
         "19990101", {"19970905", "19971003", "19971107", "19971205"}},
        {"every other month, first and last Sunday", "19970907T090000",
         {"RRULE:FREQ=MONTHLY;INTERVAL=2;COUNT=10;BYDAY=1SU,-1SU"}, "19990101",
         {"19970907", "19970928", "19971102", "19971130", "19980104", "19980125", "19980301", "19980329", "19980503",
          "19980531"}},
        {"second-to-last Monday, 6", "19970922T090000", {"RRULE:FREQ=MONTHLY;COUNT=6;BYDAY=-2MO"}, "19990101",
         {"19970922", "19971020", "19971117", "19971222", "19980119", "19980216"}},
        {"third-to-last day", "19970928T090000", {"RRULE:FREQ=MONTHLY;BYMONTHDAY=-3"}, "19980301",
         {"19970928", "19971029", "19971128", "19971229", "19980129", "19980226"}},
        {"2nd and 15th, 10", "19970902T090000", {"RRULE:FREQ=MONTHLY;COUNT=10;BYMONTHDAY=2,15"}, "19990101",
         {"19970902", "19970915", "19971002", "19971015", "19971102", "19971115", "19971202", "19971215", "19980102",
          "19980115"}},
        {"first and last day, 10", "19970930T090000", {"RRULE:FREQ=MONTHLY;COUNT=10;BYMONTHDAY=1,-1"}, "19990101",
         {"19970930", "19971001", "19971031", "19971101", "19971130", "19971201", "19971231", "19980101", "19980131",
          "19980201"}},
        {"every 18 months, 10th to 15th", "19970910T090000",
         {"RRULE:FREQ=MONTHLY;INTERVAL=18;COUNT=10;BYMONTHDAY=10,11,12,13,14,15"}, "20010101",
         {"19970910..19970915/1d", "19990310..19990313/1d"}},
        {"Tuesdays, every other month", "19970902T090000", {"RRULE:FREQ=MONTHLY;INTERVAL=2;BYDAY=TU"}, "19980401",
         {"19970902..19970930/7d", "19971104..19971125/7d", "19980106..19980127/7d", "19980303..19980331/7d"}},
        {"June and July, 10", "19970610T090000", {"RRULE:FREQ=YEARLY;COUNT=10;BYMONTH=6,7"}, "20030101",
         {"19970610", "19970710", "19980610", "19980710", "19990610", "19990710", "20000610", "20000710", "20010610",
          "20010710"}},
        {"every other year, January to March", "19970310T090000",
         {"RRULE:FREQ=YEARLY;INTERVAL=2;COUNT=10;BYMONTH=1,2,3"}, "20050101",
         {"19970310", "19990110", "19990210", "19990310", "20010110", "20010210", "20010310", "20030110", "20030210",
          "20030310"}},
        {"every third year, days 1, 100, 200", "19970101T090000",
         {"RRULE:FREQ=YEARLY;INTERVAL=3;COUNT=10;BYYEARDAY=1,100,200"}, "20080101",
         {"19970101", "19970410", "19970719", "20000101", "20000409", "20000718", "20030101", "20030410", "20030719",
          "20060101"}},
        {"20th Monday", "19970519T090000", {"RRULE:FREQ=YEARLY;BYDAY=20MO"}, "20000101",
         {"19970519", "19980518", "19990517"}},
        {"Monday of week 20", "19970512T090000", {"RRULE:FREQ=YEARLY;BYWEEKNO=20;BYDAY=MO"}, "20000101",
         {"19970512", "19980511", "19990517"}},
        {"Thursdays in March", "19970313T090000", {"RRULE:FREQ=YEARLY;BYMONTH=3;BYDAY=TH"}, "20000101",
         {"19970313..19970327/7d", "19980305..19980326/7d", "19990304..19990325/7d"}},
        {"Thursdays in June to August", "19970605T090000", {"RRULE:FREQ=YEARLY;BYDAY=TH;BYMONTH=6,7,8"}, "20000101",
         {"19970605..19970828/7d", "19980604..19980827/7d", "19990603..19990826/7d"}},
        {"Friday the 13th", "19970902T090000",
         {"EXDATE;TZID=America/New_York:19970902T090000", "RRULE:FREQ=MONTHLY;BYDAY=FR;BYMONTHDAY=13"}, "20010101",
         {"19980213", "19980313", "19981113", "19990813", "20001013"}},
        {"first Saturday after the first Sunday", "19970913T090000",
         {"RRULE:FREQ=MONTHLY;BYDAY=SA;BYMONTHDAY=7,8,9,10,11,12,13"}, "19980701",
         {"19970913", "19971011", "19971108", "19971213", "19980110", "19980207", "19980307", "19980411", "19980509",
          "19980613"}},
        {"election day", "19961105T090000", {"RRULE:FREQ=YEARLY;INTERVAL=4;BYMONTH=11;BYDAY=TU;BYMONTHDAY=2,3,4,5,6,7,8"},
         "20050101", {"19961105", "20001107", "20041102"}},
        {"third of Tu We Th, 3", "19970904T090000", {"RRULE:FREQ=MONTHLY;COUNT=3;BYDAY=TU,WE,TH;BYSETPOS=3"}, "19990101",
         {"19970904", "19971007", "19971106"}},
        {"second-to-last weekday", "19970929T090000", {"RRULE:FREQ=MONTHLY;BYDAY=MO,TU,WE,TH,FR;BYSETPOS=-2"},
         "19980401", {"19970929", "19971030", "19971127", "19971230", "19980129", "19980226", "19980330"}},
        // The RFC lists 15:00 as well, but its UNTIL (17:00 UTC) is 13:00 in New York that day; UNTIL
        // bounds the set inclusively, so 15:00 is past it.
        {"every 3 hours until 17:00 UTC", "19970902T090000", {"RRULE:FREQ=HOURLY;INTERVAL=3;UNTIL=19970902T170000Z"},
         "19970904", {"19970902T0900", "19970902T1200"}},
        {"every 15 minutes, 6", "19970902T090000", {"RRULE:FREQ=MINUTELY;INTERVAL=15;COUNT=6"}, "19970904",
         {"19970902T0900..19970902T1015/15m"}},
        {"every 90 minutes, 4", "19970902T090000", {"RRULE:FREQ=MINUTELY;INTERVAL=90;COUNT=4"}, "19970904",
         {"19970902T0900..19970902T1330/90m"}},
        {"every 20 minutes 9 to 16:40, daily", "19970902T090000",
         {"RRULE:FREQ=DAILY;BYHOUR=9,10,11,12,13,14,15,16;BYMINUTE=0,20,40"}, "19970904",
         {"19970902T0900..19970902T1640/20m", "19970903T0900..19970903T1640/20m"}},
        {"every 20 minutes 9 to 16:40, minutely", "19970902T090000",
         {"RRULE:FREQ=MINUTELY;INTERVAL=20;BYHOUR=9,10,11,12,13,14,15,16"}, "19970904",
         {"19970902T0900..19970902T1640/20m", "19970903T0900..19970903T1640/20m"}},
        {"WKST=MO", "19970805T090000", {"RRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=MO"}, "19980101",
         {"19970805", "19970810", "19970819", "19970824"}},
        {"WKST=SU", "19970805T090000", {"RRULE:FREQ=WEEKLY;INTERVAL=2;COUNT=4;BYDAY=TU,SU;WKST=SU"}, "19980101",
         {"19970805", "19970817", "19970819", "19970831"}},
        {"February 30 skipped", "20070115T090000", {"RRULE:FREQ=MONTHLY;BYMONTHDAY=15,30;COUNT=5"}, "20080101",
         {"20070115", "20070130", "20070215", "20070315", "20070330"}},
    };
    for (const auto& example : examples) {
        SCOPED_TRACE(example.name);
        EXPECT_EQ(Occurrences(example), Expected(example.expected));
    }
}

}  // namespace
}  // namespace tessel::testing
