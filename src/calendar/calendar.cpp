#include "calendar/calendar.h"

#include <cmath>

#include "base/clock.h"
#include "calendar/balloon_sink.h"
#include "calendar/http.h"
#include "calendar/locale_format.h"
#include "calendar/service_address.h"
#include "calendar/service_hosts.h"

namespace tessel {

TCalendar::TCalendar(THttp& http, TAccount* account, IClock& clock, const ILocaleFormat& locale, IBalloonSink& balloons,
                     const ServiceHosts& hosts, std::u16string cacheFolder, int32_t zoneHours)
    : ZoneHours(zoneHours),
      EventDoc(TxdataNode::Create()),
      CalendarDoc(TxdataNode::Create()),
      http_(http),
      account_(account),
      clock_(clock),
      locale_(locale),
      balloons_(balloons),
      serviceHost_(hosts.Service),
      serviceDomain_(ServiceDomain(hosts.Service)),
      servicePin_(hosts.Certificate),
      cacheFolder_(std::move(cacheFolder)) {}

TCalendar::~TCalendar() {
    // The lists point into the trees: drop them first.
    EventEntries.reset();
    CalendarEntries.reset();
}

void TCalendar::ReportStatus(const std::string& message) {
    if (OnStatus) OnStatus(*this, message);
}

void TCalendar::ClearEvents() {
    Events.clear();
    ++EventsGeneration;
    NextIndex = -1;
}

void TCalendar::ReleaseEventDoc() {
    if (Syncing) return;
    EventEntries.reset();
    EventDoc = TxdataNode::Create();
}

void TCalendar::ClearEventDoc() {
    EventEntries.reset();
    EventDoc->Clear();
    ClearEvents();
}

bool TCalendar::HasEventsOn(TDateTime day) const { return tessel::HasEventsOn(Events, day); }

std::u16string TCalendar::DayText(TDateTime day) const {
    return tessel::DayText(Events, day, locale_.TimeSeparator());
}

TDateTime TCalendar::FindNextEvent() { return NextEventStart(Events, clock_.Now(), NextIndex); }

void TCalendar::NotifyNextEvent() { NotifyEventAt(Events, NextIndex, locale_, balloons_); }

bool TCalendar::MentionsServiceDomain(const std::string& answer) const {
    return answer.find(serviceDomain_) != std::string::npos;
}

}  // namespace tessel
