#include "request_log.h"

#include <algorithm>
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

namespace {

// The sign-in carries the password in its query: the log shows "Passwd=***" instead.
void HidePasswords(std::string& target) {
    static const std::string kKey = "Passwd=";
    const size_t query = target.find('?');
    if (query == std::string::npos) return;
    for (size_t at = target.find(kKey, query); at != std::string::npos; at = target.find(kKey, at + 1)) {
        const char before = target[at - 1];
        if (before != '?' && before != '&') continue;
        const size_t value = at + kKey.size();
        const size_t end = std::min(target.find('&', value), target.size());
        target.replace(value, end - value, "***");
    }
}

}  // namespace

std::string FormatLogLine(const HttpRequest& request, const HttpResponse& response, uint64_t bodyBytes) {
    std::string target = request.target.empty() ? "-" : request.target;
    HidePasswords(target);
    for (char& c : target)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = '?';
    const std::string status = response.resetConnection ? "reset" : std::to_string(response.status);
    return (request.method.empty() ? "-" : request.method) + " " + target + " " + status + " " +
           std::to_string(bodyBytes);
}

}  // namespace tessel::service
