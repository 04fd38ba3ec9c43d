#pragma once
// The command line of the calendar service:
//   calendar-service [--http-port N] [--https-port N] [--port-file FILE] [--cert FILE --key FILE]
//                    [--demo] [--today YYYY-MM-DD] [--now HH:MM] [--zone +HH:MM] [--data FILE]
//                    [--generate EVENTS:CALENDARS] [--domain NAME] [--user NAME --password PASS]
//                    [--gsessionid] [--log FILE] [--updates FOLDER]
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "wall_time.h"

namespace tessel::service {

class EUsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class DataSource { Demo, File, Generated };

struct ServiceOptions {
    int httpPort = 0;   // 0: any free port
    int httpsPort = 0;
    std::string portFile;
    std::string certFile;
    std::string keyFile;
    DataSource source = DataSource::Demo;
    std::string dataFile;
    int generateEvents = 0;
    int generateCalendars = 0;
    std::optional<WallSeconds> today;  // midnight of the day the demo centres on
    std::optional<int> nowSeconds;     // time of day of "now" (with --today; default noon)
    std::optional<int> zoneMinutes;    // the service's zone (default: the machine's)
    std::string domain = "localhost";
    std::optional<std::string> user;
    std::optional<std::string> password;
    bool gsessionid = false;  // every account hands out a gsessionid first
    std::string logFile;      // empty: standard error
    std::string updatesFolder;  // served under /download/webupdate/ (update_files.h)
    // The made certificate ended yesterday (for clients' tests of an expired certificate).
    bool expiredCertificate = false;
    bool help = false;
};

constexpr int kMaxGeneratedEvents = 200000;
constexpr int kMaxGeneratedCalendars = 50;

// Raises EUsageError with a one-line reason for anything it cannot take.
ServiceOptions ParseServiceOptions(const std::vector<std::string>& args);
std::string UsageText();

}  // namespace tessel::service
