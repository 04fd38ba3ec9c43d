#pragma once
// The two CalDAV servers that ctest starts around the suites that talk to them (scripts/dav-servers,
// a fixture in tests/calendar/CMakeLists.txt). Their port file, named by TESSEL_DAV_PORTS, holds
// radicale=PORT, xandikos=PORT, user=NAME and password=PASSWORD. Radicale asks for the password,
// Xandikos asks none; both hold the user's calendars "Work" and "Home".
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace tessel::testing {

struct DavServer {
    std::string name;
    std::string origin;  // "http://127.0.0.1:PORT"
    std::string home;    // the user's calendar home, an absolute address
    // A plain collection outside the home, for the calendars a test makes: discovery never lists
    // them, so what one suite adds leaves the others' view of the user's calendars alone.
    std::string scratch;
    bool asksPassword = false;
};

struct DavServers {
    std::vector<DavServer> servers;
    std::string user;
    std::string password;
    // Why the servers cannot be used; empty when both are known.
    std::string problem;
};

inline DavServers FindDavServers() {
    DavServers found;
    const char* portFile = std::getenv("TESSEL_DAV_PORTS");
    if (!portFile || !*portFile) {
        found.problem = "TESSEL_DAV_PORTS is not set: run this suite through ctest, whose fixture starts the servers";
        return found;
    }
    std::ifstream in(portFile);
    if (!in) {
        found.problem = std::string("no port file at ") + portFile + ": the CalDAV servers did not start";
        return found;
    }
    std::string line, radicale, xandikos;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const size_t equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
        if (key == "radicale") radicale = value;
        if (key == "xandikos") xandikos = value;
        if (key == "user") found.user = value;
        if (key == "password") found.password = value;
    }
    if (radicale.empty() || xandikos.empty() || found.user.empty()) {
        found.problem = std::string("the port file ") + portFile + " is incomplete";
        return found;
    }
    const std::string r = "http://127.0.0.1:" + radicale, x = "http://127.0.0.1:" + xandikos;
    found.servers = {{"Radicale", r, r + "/" + found.user + "/", r + "/scratch/", true},
                     {"Xandikos", x, x + "/" + found.user + "/calendars/", x + "/scratch/", false}};
    return found;
}

}  // namespace tessel::testing
