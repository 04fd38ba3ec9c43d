#include "ui/event_list.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/strict_int.h"
#include "base/text.h"
#include "calendar/dates.h"
#include "calendar/locale_format.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

// How much of the title bar must stay on the desktop for the window to be dragged back.
constexpr int32_t kGrabbableWidth = 40;
constexpr int32_t kGrabbableHeight = 24;

int64_t MillisecondsBetween(TDateTime a, TDateTime b) { return std::llround(std::fabs(a - b) * kMSecsPerDay); }

void ReadSetting(const TxdataNode& doc, const char16_t* path, int32_t& value) {
    const std::u16string text = doc.ReadValue(path);
    if (!text.empty()) value = StrToInt(text);
}

}  // namespace

std::vector<TShownRow> RowsOfDay(const EventList& events, TDateTime day) {
    const DayRun run = EventsOfDay(events, day);
    std::vector<TShownRow> rows;
    rows.reserve(size_t(run.last - run.first));
    for (auto it = run.first; it != run.last; ++it) rows.push_back(TShownRow{int32_t(it - events.begin()), it->Event});
    return rows;
}

std::u16string EventRowText(const Tevent& event, char16_t timeSeparator) {
    std::u16string text = event.AllDay ? u"All Day - "
                                       : FormatTimeAmPm(event.StartTime, timeSeparator) + u"-" +
                                             FormatTimeAmPm(event.EndTime, timeSeparator) + u" - ";
    return text += event.Title();
}

std::u16string DateHeading(TDateTime date) {
    return DayNameOf(date) + u", " + MonthName(date) + u" " + Widen(std::to_string(DecodeDate(date).day));
}

int32_t GrownRowHeight(int32_t current, int32_t defaultHeight, int32_t textHeight) {
    const int32_t needed = textHeight + kRowTextPadding;
    if (defaultHeight > needed) return defaultHeight;
    if (needed > defaultHeight) return needed;
    return current;
}

int32_t HoursBetween(TDateTime a, TDateTime b) {
    const int64_t hours = MillisecondsBetween(a, b) / 3600000;
    return hours > INT32_MAX ? INT32_MAX : int32_t(hours);
}

int32_t MinutesPastHour(TDateTime a, TDateTime b) { return int32_t(MillisecondsBetween(a, b) / 60000 % 60); }

bool DrawCountdown(ICanvas& canvas, const TRect& r, TDateTime now, TDateTime target, int32_t smallSize) {
    const int32_t hours = HoursBetween(now, target);
    if (hours > kCountdownHours) return false;
    const std::u16string hoursText = Widen(std::to_string(hours));
    char minutes[8];
    std::snprintf(minutes, sizeof minutes, "%2d", MinutesPastHour(now, target));
    const std::u16string minutesText = Widen(minutes);

    TCanvasFont& font = canvas.Font();
    font.Size = smallSize;
    const int32_t unitHeight = canvas.TextHeight(u"hoursminutes");
    const int32_t unitWidth = canvas.TextWidth(u"hours") + canvas.TextWidth(u"minutes");
    font.Size = kCountdownFigureSize;
    const int32_t figureHeight = canvas.TextHeight(u"00");
    const int32_t figureWidth = canvas.TextWidth(u"00");

    int32_t x = (r.Right - (2 * figureWidth + unitWidth + 6)) / 2;
    const int32_t y = (r.Bottom - figureHeight) / 2;
    const int32_t unitTop = y + figureHeight - unitHeight - 3;

    canvas.DrawTextAt(x, y, hoursText);
    x += canvas.TextWidth(hoursText) + 3;
    font.Size = smallSize;
    canvas.DrawTextAt(x, unitTop, u"hours");
    x += canvas.TextWidth(u"hours");
    font.Size = kCountdownFigureSize;
    x += 3;
    canvas.DrawTextAt(x, y, minutesText);
    x += canvas.TextWidth(minutesText) + 3;
    font.Size = smallSize;
    canvas.DrawTextAt(x, unitTop, u"minutes");
    return true;
}

std::u16string CountdownText(TDateTime now, TDateTime target) {
    const int32_t hours = HoursBetween(now, target);
    if (hours > kCountdownHours) return {};
    char minutes[8];
    std::snprintf(minutes, sizeof minutes, "%2d", MinutesPastHour(now, target));
    return Widen(std::to_string(hours) + " hours " + minutes + " minutes");
}

void ReadEventWindowSettings(const TxdataNode& profileDoc, TEventWindowSettings& settings) {
    ReadSetting(profileDoc, u"eventwindow/left", settings.Left);
    ReadSetting(profileDoc, u"eventwindow/top", settings.Top);
    ReadSetting(profileDoc, u"eventwindow/height", settings.Height);
    ReadSetting(profileDoc, u"eventwindow/width", settings.Width);
    ReadSetting(profileDoc, u"eventwindow/visible", settings.Visible);
}

TEventWindowPlace PlaceEventWindow(const TEventWindowSettings& settings, int32_t screenWidth, const TRect& desktop,
                                   int32_t mainTop, int32_t currentWidth, int32_t currentHeight) {
    TEventWindowPlace place;
    place.Left = settings.Left != 0 ? settings.Left : screenWidth / 2;
    place.Top = settings.Top != 0 ? settings.Top : mainTop;
    place.Width = settings.Width > 0 ? settings.Width : currentWidth;
    place.Height = settings.Height > 0 ? settings.Height : currentHeight;

    place.Width = std::clamp(place.Width, kEventWindowMinWidth, std::max(kEventWindowMinWidth, desktop.Width()));
    place.Height = std::clamp(place.Height, kEventWindowMinHeight, std::max(kEventWindowMinHeight, desktop.Height()));
    // In 64 bits: a stored left near INT32_MIN must not wrap round when the width is taken off.
    const int64_t minLeft = int64_t(desktop.Left) - place.Width + kGrabbableWidth;
    const int64_t maxLeft = std::max<int64_t>(minLeft, int64_t(desktop.Right) - kGrabbableWidth);
    place.Left = int32_t(std::clamp<int64_t>(place.Left, minLeft, maxLeft));
    const int64_t maxTop = std::max<int64_t>(desktop.Top, int64_t(desktop.Bottom) - kGrabbableHeight);
    place.Top = int32_t(std::clamp<int64_t>(place.Top, desktop.Top, maxTop));
    return place;
}

uint8_t AlphaOfTransparency(int32_t percent) { return uint8_t(std::clamp(percent, 0, 100) * 255 / 100); }

}  // namespace tessel
