#include "data_file.h"

#include <gtest/gtest.h>

namespace tessel::service {
namespace {

constexpr const char* kTwoAccounts = R"(# two accounts
[account]
email = jane@localhost
password = s3cret
name = Jane
gsessionid = yes

[calendar]
id = work
title = Work \\ Büro
color = #2952A3

[event]
title = Stand-up
start = 2008-03-05 09:00
repeat = weekly 4
where = Room 1

[event]
id = trip
title = Line\r\nbreak
start = 2008-03-10
end = 2008-03-13

[account]
email = bob@localhost
password = x
)";

std::string ErrorOf(const std::string& text) {
    try {
        ParseDataFile(text);
    } catch (const EDataError& error) {
        return error.what();
    }
    return "no error";
}

TEST(DataFile, ReadsAccountsCalendarsAndEvents) {
    const ServiceData data = ParseDataFile(kTwoAccounts);
    ASSERT_EQ(data.accounts.size(), 2u);
    const AccountRecord& jane = data.accounts[0];
    EXPECT_EQ(jane.password, "s3cret");
    EXPECT_TRUE(jane.gsessionid);
    EXPECT_FALSE(data.accounts[1].gsessionid);
    EXPECT_EQ(data.FindAccount("JANE@LOCALHOST"), &jane);
    ASSERT_EQ(jane.calendars.size(), 1u);
    EXPECT_EQ(jane.calendars[0].title, "Work \\ B\xC3\xBCro");
    const auto& events = jane.calendars[0].events;
    ASSERT_EQ(events.size(), 2u);

    EXPECT_EQ(events[0].id, "e1");  // by position when the file names none
    EXPECT_FALSE(events[0].allDay);
    EXPECT_EQ(events[0].end - events[0].start, 3600);  // an hour when no end is given
    EXPECT_EQ(events[0].repeat, Repeat::Weekly);
    const auto starts = OccurrenceStarts(events[0]);
    ASSERT_EQ(starts.size(), 4u);
    EXPECT_EQ(starts[3] - starts[0], 21 * kSecondsPerDay);

    EXPECT_EQ(events[1].id, "trip");
    EXPECT_TRUE(events[1].allDay);
    EXPECT_EQ(events[1].end - events[1].start, 3 * kSecondsPerDay);
    EXPECT_EQ(events[1].title, "Line\r\nbreak");
}

TEST(DataFile, ErrorsNameTheLine) {
    EXPECT_EQ(ErrorOf("[account]\nemail = a@b\nbogus\n"), "line 3: expected key = value");
    EXPECT_EQ(ErrorOf("title = x\n"), "line 1: a value before the first section");
    EXPECT_EQ(ErrorOf("[calendar]\n"), "line 1: a calendar before any account");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[event]\n"), "line 3: an event before any calendar");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=#000000\n[event]\ntitle=no start\n"),
              "line 6: the event has no start");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=#000000\n[event]\nstart=2008-03-05 10:00\n"
                      "end=2008-03-05 09:00\n"),
              "line 6: the event ends before it starts");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=#000000\n[event]\nstart=2008-03-05\n"
                      "end=2008-03-06 10:00\n"),
              "line 6: start and end must both have a time, or neither");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=#000000\n[event]\nstart=2008-02-30\n"),
              "line 7: start is not a date or date and time: 2008-02-30");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=#000000\n[event]\nstart=2008-03-05\n"
                      "repeat=monthly 3\n"),
              "line 8: repeat is daily or weekly, not monthly");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=#000000\n[event]\nstart=2008-03-05\n"
                      "repeat=daily 1001\n"),
              "line 8: repeat needs daily or weekly and a count 1 to 1000");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\ntitle=\xC3\x28\n"), "line 3: the text is not UTF-8");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[events]\n"), "line 3: unknown section [events]");
}

TEST(DataFile, WholeDataChecks) {
    EXPECT_EQ(ErrorOf("[account]\nemail=a@b\n[account]\nemail=A@B\n"), "account A@B appears twice");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=red\n"), "calendar c has no #RRGGBB colour");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=a'b\ncolor=#000000\n"), "calendar id 'a'b' is not usable");
    EXPECT_EQ(ErrorOf("[account]\npassword=p\n"), "an account has no name");
    EXPECT_EQ(ErrorOf("[account]\nemail=a\n[calendar]\nid=c\ncolor=#000000\n[event]\nid=x\nstart=2008-03-05\n"
                      "[event]\nid=x\nstart=2008-03-06\n"),
              "event x appears twice");
}

}  // namespace
}  // namespace tessel::service
