#include "ui/event_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "calendar/service_hosts.h"
#include "ui/web_links.h"
#include "xml/xdata_node.h"

namespace tessel {
namespace {

Tevent Timed(TDateTime start, TDateTime end, std::u16string title) {
    Tevent e;
    e.StartTime = start;
    e.EndTime = end;
    e.Texts = TeventTexts({}, title, {});
    return e;
}

EventItem Item(const std::string& key, Tevent e) {
    e.Texts = TeventTexts(key, e.Title(), e.Link());
    return EventItem{std::move(e)};
}

TEST(EventListRows, ADayListsItsEventsInListOrderAndNothingElse) {
    const TDateTime mar5 = EncodeDate(2008, 3, 5);
    Tevent allDay = Timed(mar5, mar5 + 1, u"Holiday");
    allDay.AllDay = true;
    // The day before, the day itself (all-day first, as the keys sort), a two-day event of the
    // day before that counts only there, the day after.
    const EventList events{
        Item("2008-03-04T23:30:00", Timed(mar5 - 1 + 23.5 / 24, mar5 + 1, u"Overnight")),
        Item("2008-03-05", allDay),
        Item("2008-03-05T09:00:00", Timed(mar5 + 9.0 / 24, mar5 + 10.0 / 24, u"Nine")),
        Item("2008-03-05T14:00:00", Timed(mar5 + 14.0 / 24, mar5 + 15.0 / 24, u"Two")),
        Item("2008-03-06T08:00:00", Timed(mar5 + 1 + 8.0 / 24, mar5 + 1 + 9.0 / 24, u"Next")),
    };
    const std::vector<TShownRow> rows = RowsOfDay(events, mar5 + 0.75);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].Index, 1);
    EXPECT_EQ(rows[1].Index, 2);
    EXPECT_EQ(rows[2].Index, 3);
    EXPECT_EQ(rows[2].Event.Title(), u"Two");
    EXPECT_TRUE(RowsOfDay(events, mar5 + 2).empty());
    EXPECT_TRUE(RowsOfDay(events, mar5 - 5).empty());
    EXPECT_TRUE(RowsOfDay({}, mar5).empty());
}

TEST(EventListRows, RowTextsHeadingAndGrowth) {
    const TDateTime day = EncodeDate(2009, 10, 5);
    Tevent allDay = Timed(day, day + 1, u"Trip");
    allDay.AllDay = true;
    EXPECT_EQ(EventRowText(allDay, u':'), u"All Day - Trip");
    EXPECT_EQ(EventRowText(Timed(day + EncodeTime(9, 5, 0, 0), day + EncodeTime(10, 0, 0, 0), u"Team"), u':'),
              u"9:05 AM-10:00 AM - Team");
    // An event whose end lies before its start is shown as it stands.
    EXPECT_EQ(EventRowText(Timed(day + EncodeTime(15, 0, 0, 0), day + EncodeTime(0, 15, 0, 0), u""), u'.'),
              u"3.00 PM-12.15 AM - ");

    EXPECT_EQ(DateHeading(EncodeDate(2009, 1, 5)), u"Monday, January 5");
    EXPECT_EQ(DateHeading(EncodeDate(2009, 3, 1) + 0.9), u"Sunday, March 1");

    // The default 17 is one 13-pixel line with its padding; two lines need 30.
    struct Case { int32_t current, text, expected; };
    for (const Case& c : {Case{30, 9, 17}, Case{17, 26, 30}, Case{17, 40, 44}, Case{40, 13, 40}, Case{17, 13, 17}}) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(GrownRowHeight(c.current, 17, c.text), c.expected);
    }
}

TEST(EventListCountdown, HoursAndMinutesAreWholeAndAbsolute) {
    const TDateTime now = EncodeDateTime(2010, 1, 13, 11, 30);
    struct Case { double minutesAhead; int32_t hours, minutes; };
    for (const Case& c : {Case{125, 2, 5}, Case{47 * 60 + 59, 47, 59}, Case{48 * 60, 48, 0}, Case{49 * 60, 49, 0},
                          Case{-90, 1, 30}, Case{0.5, 0, 0}}) {
        SCOPED_TRACE(c.minutesAhead);
        const TDateTime target = now + c.minutesAhead * kOneMinute;
        EXPECT_EQ(HoursBetween(now, target), c.hours);
        EXPECT_EQ(MinutesPastHour(now, target), c.minutes);
    }
    EXPECT_EQ(CountdownText(now, now + 125 * kOneMinute), u"2 hours  5 minutes");
    EXPECT_EQ(CountdownText(now, now + 49 * 60 * kOneMinute), u"");
}

// Text 7 pixels per character at size 16, 4 at any other size; 20 or 10 pixels high.
class RecordingCanvas final : public ICanvas {
public:
    TCanvasFont& Font() override { return font_; }
    TTextSize TextExtent(std::u16string_view text) override {
        const bool big = font_.Size == 16;
        return {int32_t(text.size()) * (big ? 7 : 4), big ? 20 : 10};
    }
    void DrawTextAt(int32_t x, int32_t y, std::u16string_view text) override {
        drawn.push_back(Narrow(std::u16string(text)) + "@" + std::to_string(x) + "," + std::to_string(y) + "/" +
                        std::to_string(font_.Size));
    }
    std::vector<std::string> drawn;

private:
    TCanvasFont font_;
};

TEST(EventListCountdown, FiguresAndWordsArePlacedFromTheMeasuredSizes) {
    const TDateTime now = EncodeDateTime(2010, 1, 13, 11, 30);
    RecordingCanvas canvas;
    canvas.Font().Name = "Tahoma";
    canvas.Font().Bold = true;
    // 170 x 22: N = 14, W = 48, x = (170 - 82) div 2 = 44, y = 1, words at 1 + 20 - 10 - 3 = 8.
    ASSERT_TRUE(DrawCountdown(canvas, TRect{0, 0, 170, 22}, now, now + 125 * kOneMinute, 8));
    EXPECT_EQ(canvas.drawn,
              (std::vector<std::string>{"2@44,1/16", "hours@54,8/8", " 5@77,1/16", "minutes@94,8/8"}));
    EXPECT_EQ(canvas.Font().Name, "Tahoma");
    EXPECT_TRUE(canvas.Font().Bold);

    canvas.drawn.clear();
    EXPECT_FALSE(DrawCountdown(canvas, TRect{0, 0, 170, 22}, now, now + 49 * 60 * kOneMinute, 8));
    EXPECT_TRUE(canvas.drawn.empty());
}

TEST(EventListPosition, StoredValuesAreReadStrictlyAndMissingOnesKept) {
    TxdataNode doc;
    doc.LoadFromText(uR"(<p><eventwindow left="-20" top="15" height="300" width="0" visible="1"/></p>)");
    TEventWindowSettings s;
    s.Width = 7;
    ReadEventWindowSettings(doc, s);
    EXPECT_EQ(s.Left, -20);
    EXPECT_EQ(s.Top, 15);
    EXPECT_EQ(s.Height, 300);
    EXPECT_EQ(s.Width, 0);
    EXPECT_EQ(s.Visible, 1);

    TxdataNode damaged;
    damaged.LoadFromText(uR"(<p><eventwindow left="12" top="1e3" height="5"/></p>)");
    TEventWindowSettings bad;
    try {
        ReadEventWindowSettings(damaged, bad);
        FAIL() << "a top of 1e3 was accepted";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'1e3' is not a valid integer value");
    }
    EXPECT_EQ(bad.Left, 12);
    EXPECT_EQ(bad.Height, 0) << "a value after the bad one was read";

    TxdataNode empty;
    empty.LoadFromText(u"<p/>");
    TEventWindowSettings none;
    none.Visible = 0;
    ReadEventWindowSettings(empty, none);
    EXPECT_EQ(none.Visible, 0);
}

TEST(EventListPosition, PlacementFollowsTheZeroRulesAndStaysUsable) {
    const TRect desktop{0, 0, 1280, 800};
    struct Case {
        TEventWindowSettings stored;
        TEventWindowPlace expected;
    };
    const Case cases[] = {
        {{0, 0, 0, 0, 1}, {640, 300, 192, 181}},            // the zero values
        {{15, 40, 250, 220, 1}, {15, 40, 220, 250}},        // taken as they are
        {{-100, 20, 0, 0, 1}, {-100, 20, 192, 181}},        // partly off the left edge is fine
        {{-5000, -5000, 3, 2, 1}, {-60, 0, 100, 120}},      // too small, off screen
        {{INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, 1}, {-1240, 776, 1280, 800}},
        {{2000, 900, -7, -7, 1}, {1240, 776, 192, 181}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.Left);
        const TEventWindowPlace p = PlaceEventWindow(c.stored, 1280, desktop, 300, 192, 181);
        EXPECT_EQ(p.Left, c.expected.Left);
        EXPECT_EQ(p.Top, c.expected.Top);
        EXPECT_EQ(p.Width, c.expected.Width);
        EXPECT_EQ(p.Height, c.expected.Height);
    }
    EXPECT_EQ(AlphaOfTransparency(100), 255);
    EXPECT_EQ(AlphaOfTransparency(50), 127);
    EXPECT_EQ(AlphaOfTransparency(-3), 0);
    EXPECT_EQ(AlphaOfTransparency(900), 255);
}

TEST(EventListLink, SignInAddressEncodesLinkNameAndPassword) {
    ServiceHosts hosts;
    hosts.Service = "127.0.0.1:8443";
    hosts.Accounts = "accounts.invalid";
    EXPECT_EQ(EventPageSignInUrl(hosts, "http://h/event?eid=a b&ctz=x#top", "ana+1@example.org",
                                 "p%w&Passwd=x #\xC3\xA9"),
              "https://127.0.0.1:8443/accounts/ServiceLoginAuth"
              "?continue=http%3A%2F%2Fh%2Fevent%3Feid%3Da%20b%26ctz%3Dx%23top"
              "&Email=ana%2B1%40example.org&Passwd=p%25w%26Passwd%3Dx%20%23%C3%A9&null=Sign+in");
}

}  // namespace
}  // namespace tessel
