#pragma once
// The iCalendar files a subscription fetches: the demo's calendar around the service's day, and
// generated ones of any size, at stable addresses over http and https (webcal:// is https). Each
// answer carries an ETag and a Last-Modified; a request whose If-None-Match names the current
// ETag gets 304 without a body. /ics/damaged.ics and /ics/loop.ics give the faults a subscriber
// meets (a file cut inside an event, a redirect to itself); the /test/ endpoints give the rest.
#include <string>

#include "http_message.h"
#include "wall_time.h"

namespace tessel::service {

constexpr int kMaxGeneratedIcsEvents = 200000;

// The demo calendar ("Team Démo"): a weekly meeting in Tokyo's zone with one date left out, one
// instance moved and one cancelled; an all-day and a three-day event; a title in several
// scripts. Dates are relative to today (the service's day, a midnight on its wall clock).
std::string DemoIcs(WallSeconds today);
// events timed events spread over the half year either side of today, deterministically.
std::string GeneratedIcs(WallSeconds today, int events);

// Answers the /ics/ paths; false for any other.
bool HandleIcsRoute(const HttpRequest& request, HttpResponse& response, WallSeconds today);

}  // namespace tessel::service
