#pragma once
// Built-in accounts: the demo account around a given day, and large generated accounts for load
// tests. Both depend only on their arguments, so a fixed day gives the same feeds every run.
#include <string>

#include "service_data.h"

namespace tessel::service {

constexpr const char* kDemoPassword = "demo";

// "demo@" + domain, password "demo": four coloured calendars with timed and all-day events
// around now's day, a repeating event, several events today, one spanning days, titles with
// non-ASCII characters, and one event starting 15 minutes after now (rounded up to the minute)
// so that a reminder comes up during a demo.
ServiceData MakeDemoData(const std::string& domain, WallSeconds now, int zoneMinutes);

// The demo account's name with events spread over calendars: a fixed pseudo-random sequence
// places them within half a year either side of today.
ServiceData MakeGeneratedData(const std::string& domain, int events, int calendars, WallSeconds today,
                              int zoneMinutes);

}  // namespace tessel::service
