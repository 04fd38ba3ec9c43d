#pragma once
// What the event list window shows, apart from its pixels: which events a day lists and in which
// order, the text and height of a row, the date heading, the countdown to the next event and
// where its figures go, and how the window's stored place and size are read and kept usable.
// The Win32 window (win32_event_form.h) paints and routes input from these.
#include <cstdint>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "calendar/event.h"
#include "ui/skin_plan.h"
#include "ui/text_measure.h"

namespace tessel {

class TxdataNode;

// One row of the list: the index its event had in the client's list when the day was shown, and
// a copy of the event, so the window never reads through an index into a list a sync replaced.
struct TShownRow {
    int32_t Index = -1;
    Tevent Event;
};

// The events of the list that start on the day, in list order. The list is sorted by its start
// texts, whose first ten characters are the start's date, so the day's events lie together and
// a binary search finds them.
std::vector<TShownRow> RowsOfDay(const EventList& events, TDateTime day);

// "All Day - Title", or "9:30 AM-10:00 AM - Title" with the locale's time separator.
std::u16string EventRowText(const Tevent& event, char16_t timeSeparator);

// The heading over the list: "Monday, January 5".
std::u16string DateHeading(TDateTime date);

// The room a row leaves around its text: 2 pixels above it, where the row's rounded box starts,
// and 2 below for the text's shadow and the box's edge; the default row height is one line of
// the event font plus this.
inline constexpr int32_t kRowTextPadding = 4;

// A drawn row's new height for its wrapped text's height: the default when the text with its
// padding needs less, that need when it is more, otherwise (exactly the default) the current height.
int32_t GrownRowHeight(int32_t current, int32_t defaultHeight, int32_t textHeight);

// The distance between two moments in whole hours, and its minutes past the whole hour; the
// distance is absolute and counted in whole milliseconds, so 48 hours is never 47.999.
int32_t HoursBetween(TDateTime a, TDateTime b);
int32_t MinutesPastHour(TDateTime a, TDateTime b);

// The foot shows the next event's title and countdown once it is less than this far ahead; the
// countdown says "No Event" when the target is further than this.
inline constexpr int32_t kCountdownHours = 48;
inline constexpr int32_t kCountdownFigureSize = 16;

// Draws the countdown in the label's rectangle r (0-based, the label's client area): the hours
// figure at size 16, "hours" at the small size, the minutes as "%2d" at size 16, "minutes",
// centred as a group. Only the canvas font's size changes. False, with nothing drawn, when
// the target is more than 48 hours away.
bool DrawCountdown(ICanvas& canvas, const TRect& r, TDateTime now, TDateTime target, int32_t smallSize);
// The countdown as words, for screen readers: "2 hours  5 minutes"; empty beyond 48 hours.
std::u16string CountdownText(TDateTime now, TDateTime target);

// The settings eventwindow/left, top, height, width and visible.
struct TEventWindowSettings {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Height = 0;
    int32_t Width = 0;
    int32_t Visible = 1;
};

// Reads the values in the order left, top, height, width, visible into settings, each converted
// strictly: a value that is present but not an integer raises "'<text>' is not a valid integer
// value", and the values after it keep what settings held. A missing value (no element, no
// attribute) keeps what settings held.
void ReadEventWindowSettings(const TxdataNode& profileDoc, TEventWindowSettings& settings);

// Where the window goes and how large it is.
struct TEventWindowPlace {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
};

// The smallest window that still shows the title bar, the heading, a row and the foot.
inline constexpr int32_t kEventWindowMinWidth = 100;
inline constexpr int32_t kEventWindowMinHeight = 120;

// LoadPosition's rules: left 0 is half the screen width, top 0 the main window's top, a width
// or height above 0 replaces the current one. Then the window is kept usable, whatever the
// stored numbers say: no smaller than the minimum nor larger than the desktop (desktop: the
// rectangle of all screens), and placed so that part of its title bar stays on the desktop.
TEventWindowPlace PlaceEventWindow(const TEventWindowSettings& settings, int32_t screenWidth, const TRect& desktop,
                                   int32_t mainTop, int32_t currentWidth, int32_t currentHeight);

// The alpha value of a transparency percent (0..100; values outside are held to it).
uint8_t AlphaOfTransparency(int32_t percent);

}  // namespace tessel
