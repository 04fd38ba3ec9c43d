#include "calendar/calendar.h"

#include <cmath>

#include "base/clock.h"
#include "calendar/http.h"
#include "calendar/service_address.h"
#include "calendar/service_hosts.h"

namespace tessel {

TCalendar::TCalendar(THttp& http, TAccount* account, IClock& clock, const ServiceHosts& hosts,
                     std::u16string cacheFolder, int32_t zoneHours)
    : ZoneHours(zoneHours),
      EventDoc(TxdataNode::Create()),
      CalendarDoc(TxdataNode::Create()),
      http_(http),
      account_(account),
      clock_(clock),
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

bool TCalendar::MentionsServiceDomain(const std::string& answer) const {
    return answer.find(serviceDomain_) != std::string::npos;
}

}  // namespace tessel
