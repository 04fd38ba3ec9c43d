#pragma once
// One line per request: method, target (path and query), status, body bytes. Connection threads
// write concurrently, so each line goes out whole under a lock.
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "http_message.h"

namespace tessel::service {

class RequestLog {
public:
    // An empty path logs to standard error; otherwise the file is appended to. Raises EError.
    explicit RequestLog(const std::string& path);
    RequestLog(const RequestLog&) = delete;
    RequestLog& operator=(const RequestLog&) = delete;
    ~RequestLog();

    void Write(const HttpRequest& request, const HttpResponse& response, uint64_t bodyBytes);
    void Note(const std::string& line);

private:
    std::mutex mutex_;
    std::FILE* file_ = nullptr;
    bool owned_ = false;
};

// "GET /path?query 200 1234"; "reset" stands for the status of a reset connection, and "-" for a
// request line that could not be read. Control characters in the target are shown as '?', and
// the value of a Passwd query parameter as "***".
std::string FormatLogLine(const HttpRequest& request, const HttpResponse& response, uint64_t bodyBytes);

}  // namespace tessel::service
