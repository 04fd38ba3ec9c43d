#pragma once
// The /test/... endpoints: canned faults for the transport tests and the switchable faults for
// the protocol endpoints. None of them needs a sign-in.
#include <string>

#include "fault_plan.h"
#include "http_message.h"
#include "stop_signal.h"

namespace tessel::service {

constexpr long long kMaxDelayMilliseconds = 30000;
constexpr long long kMaxHugeBytes = 512LL * 1024 * 1024;

// Answers request when its path is under /test/; false for any other path.
bool HandleTestRoute(const HttpRequest& request, HttpResponse& response, FaultPlan& faults, const StopSignal& stop);

// Makes response fail the way fault says. False when the request is still to be answered
// normally afterwards (a delay, or a body delivered badly).
bool ApplyFault(const Fault& fault, const HttpRequest& request, HttpResponse& response, const StopSignal& stop);

// The page a hotel's or an airport's network shows in place of any address until one signs in.
// It mentions the host the client asked for, as such pages do in their links.
std::string SignInPortalPage(const std::string& host);

// An Atom feed cut off in the middle of a tag.
std::string TruncatedFeed();

// The bytes of /test/huge: byte i is 'a' + i % 26, with a line feed at every 64th position.
char HugeBodyByte(unsigned long long offset);

}  // namespace tessel::service
