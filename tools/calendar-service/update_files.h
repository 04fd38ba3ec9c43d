#pragma once
// The maker's update files for the update check: GET /download/webupdate/NAME answers the file
// NAME of the folder given with --updates (404 when it is not there). In an information file
// (".inf") the text {host} becomes the host the request was sent to, so a test can list
// addresses on this service before it knows its port.
//
// For the tests of the transfer, the query may ask for trouble:
//   slow=MS   waits MS milliseconds (at most 30000) before each piece of the body
//   drop=N    announces the whole length, sends N bytes and closes the connection
//   chunked-cut=N     sends the file in chunks and closes after N bytes, before the last chunk
//   lengthless-cut=N  answers as HTTP/1.0 without a length, sends N bytes and closes
//   two-lengths=N     sends "Content-Length: N" before the true length, then the whole file
//   partial           answers 206 with the first half of the file as a range
//   loop              answers 302 back to the same address
#include <string>

#include "http_message.h"
#include "stop_signal.h"

namespace tessel::service {

inline constexpr char kUpdatePathPrefix[] = "/download/webupdate/";

// Answers request when folder is set and the path is under the update prefix; false otherwise.
bool HandleUpdateRoute(const HttpRequest& request, HttpResponse& response, const std::string& folder,
                       const StopSignal& stop);

}  // namespace tessel::service
