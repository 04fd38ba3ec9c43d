#pragma once
// The local calendar service that ctest starts around the suites that talk to it (a fixture in
// tests/calendar/CMakeLists.txt). Its port file, named by TESSEL_SERVICE_PORTS, holds the lines
// "http=PORT", "https=PORT" and "certificate=DIGEST" once the service listens on 127.0.0.1.
#include <cstdlib>
#include <fstream>
#include <string>

namespace tessel::testing {

struct LoopbackService {
    int httpPort = 0;
    int httpsPort = 0;
    // The SHA-256 of the service's self-signed certificate, which requests to it pin.
    std::string certificate;
    // Why the service cannot be used; empty when both ports are known.
    std::string problem;

    std::string HttpUrl(const std::string& pathAndQuery) const {
        return "http://127.0.0.1:" + std::to_string(httpPort) + pathAndQuery;
    }
    std::string HttpsUrl(const std::string& pathAndQuery) const {
        return "https://127.0.0.1:" + std::to_string(httpsPort) + pathAndQuery;
    }
    // Whether the service's request log (beside the port file) has a line holding text: what
    // the server received, one line per request.
    bool Received(const std::string& text) const {
        std::ifstream in(logFile);
        std::string line;
        while (std::getline(in, line))
            if (line.find(text) != std::string::npos) return true;
        return false;
    }
    std::string logFile;
};

inline LoopbackService FindLoopbackService() {
    LoopbackService service;
    const char* portFile = std::getenv("TESSEL_SERVICE_PORTS");
    if (!portFile || !*portFile) {
        service.problem = "TESSEL_SERVICE_PORTS is not set: run this suite through ctest, whose fixture starts "
                          "the calendar service and names its port file";
        return service;
    }
    const std::string ports(portFile);
    service.logFile = ports.substr(0, ports.find_last_of("/\\") + 1) + "service.log";
    std::ifstream in(portFile);
    if (!in) {
        service.problem = std::string("no port file at ") + portFile +
                          ": the calendar service did not start (is TESSEL_SERVICE_BIN built?)";
        return service;
    }
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        const int port = std::atoi(line.c_str() + equals + 1);
        if (key == "http") service.httpPort = port;
        if (key == "https") service.httpsPort = port;
        if (key == "certificate") service.certificate = line.substr(equals + 1);
    }
    if (service.httpPort <= 0 || service.httpsPort <= 0)
        service.problem = std::string("the port file ") + portFile + " lacks an http= or https= line";
    return service;
}

}  // namespace tessel::testing
