#pragma once
// The maker's update files for the update check: GET /download/webupdate/NAME answers the file
// NAME of the folder given with --updates (404 when it is not there). In an information file
// (".inf") the text {host} becomes the host the request was sent to, so a test can list
// addresses on this service before it knows its port.
//
// For the tests of the transfer, the query may ask for trouble:
//   slow=MS   waits MS milliseconds (at most 30000) before each piece of the body
//   drop=N    announces the whole length, sends N bytes and closes the connection
#include <string>

#include "http_message.h"
#include "stop_signal.h"

namespace tessel::service {

inline constexpr char kUpdatePathPrefix[] = "/download/webupdate/";

// Answers request when folder is set and the path is under the update prefix; false otherwise.
bool HandleUpdateRoute(const HttpRequest& request, HttpResponse& response, const std::string& folder,
                       const StopSignal& stop);

}  // namespace tessel::service
