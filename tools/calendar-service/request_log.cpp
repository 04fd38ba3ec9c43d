#include "request_log.h"

#include <cerrno>
#include <cstring>

#include "base/errors.h"

namespace tessel::service {

RequestLog::RequestLog(const std::string& path) {
    if (path.empty()) {
        file_ = stderr;
        return;
    }
    file_ = std::fopen(path.c_str(), "a");
    if (!file_) throw EError("cannot open the log " + path + ": " + std::strerror(errno));
    owned_ = true;
}

RequestLog::~RequestLog() {
    if (owned_) std::fclose(file_);
}

void RequestLog::Write(const HttpRequest& request, const HttpResponse& response, uint64_t bodyBytes) {
    Note(FormatLogLine(request, response, bodyBytes));
}

void RequestLog::Note(const std::string& line) {
    std::lock_guard lock(mutex_);
    std::fputs((line + "\n").c_str(), file_);
    std::fflush(file_);
}

std::string FormatLogLine(const HttpRequest& request, const HttpResponse& response, uint64_t bodyBytes) {
    std::string target = request.target.empty() ? "-" : request.target;
    for (char& c : target)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    const std::string status = response.resetConnection ? "reset" : std::to_string(response.status);
    return (request.method.empty() ? "-" : request.method) + " " + target + " " + status + " " +
           std::to_string(bodyBytes);
}

}  // namespace tessel::service
