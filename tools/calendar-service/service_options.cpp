#include "service_options.h"

#include "query.h"

namespace tessel::service {

namespace {

int ParsePort(const std::string& option, const std::string& text) {
    long long port = 0;
    if (!ParseBoundedInt(text, 0, 65535, port)) throw EUsageError(option + " needs a port number 0 to 65535");
    return static_cast<int>(port);
}

void ParseGenerate(const std::string& text, ServiceOptions& options) {
    const size_t colon = text.find(':');
    long long events = 0, calendars = 0;
    if (colon == std::string::npos || !ParseBoundedInt(text.substr(0, colon), 0, kMaxGeneratedEvents, events) ||
        !ParseBoundedInt(text.substr(colon + 1), 1, kMaxGeneratedCalendars, calendars))
        throw EUsageError("--generate needs EVENTS:CALENDARS with EVENTS 0 to " + std::to_string(kMaxGeneratedEvents) +
                          " and CALENDARS 1 to " + std::to_string(kMaxGeneratedCalendars));
    options.generateEvents = static_cast<int>(events);
    options.generateCalendars = static_cast<int>(calendars);
}

bool IsDomainName(const std::string& text) {
    if (text.empty() || text.size() > 253) return false;
    for (char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            return false;
    return true;
}

}  // namespace

ServiceOptions ParseServiceOptions(const std::vector<std::string>& args) {
    ServiceOptions options;
    int sources = 0;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        auto value = [&]() -> const std::string& {
            if (i + 1 >= args.size()) throw EUsageError(option + " needs a value");
            return args[++i];
        };
        if (option == "--http-port") {
            options.httpPort = ParsePort(option, value());
        } else if (option == "--https-port") {
            options.httpsPort = ParsePort(option, value());
        } else if (option == "--port-file") {
            options.portFile = value();
        } else if (option == "--cert") {
            options.certFile = value();
        } else if (option == "--key") {
            options.keyFile = value();
        } else if (option == "--demo") {
            options.source = DataSource::Demo;
            ++sources;
        } else if (option == "--data") {
            options.dataFile = value();
            options.source = DataSource::File;
            ++sources;
        } else if (option == "--generate") {
            ParseGenerate(value(), options);
            options.source = DataSource::Generated;
            ++sources;
        } else if (option == "--today") {
            WallSeconds day;
            if (!ParseDateText(value(), day)) throw EUsageError("--today needs a date YYYY-MM-DD");
            options.today = day;
        } else if (option == "--now") {
            int seconds;
            if (!ParseClockText(value(), seconds)) throw EUsageError("--now needs a time of day HH:MM");
            options.nowSeconds = seconds;
        } else if (option == "--zone") {
            int minutes;
            if (!ParseZoneText(value(), minutes)) throw EUsageError("--zone needs an offset such as +01:00 or -05:00");
            options.zoneMinutes = minutes;
        } else if (option == "--domain") {
            options.domain = value();
            if (!IsDomainName(options.domain))
                throw EUsageError("--domain needs a host name (letters, digits, dots, hyphens)");
        } else if (option == "--user") {
            options.user = value();
            if (options.user->empty()) throw EUsageError("--user needs a name");
        } else if (option == "--password") {
            options.password = value();
        } else if (option == "--gsessionid") {
            options.gsessionid = true;
        } else if (option == "--log") {
            options.logFile = value();
        } else if (option == "--updates") {
            options.updatesFolder = value();
        } else if (option == "--expired-certificate") {
            options.expiredCertificate = true;
        } else if (option == "--help" || option == "-h") {
            options.help = true;
        } else {
            throw EUsageError("unknown option " + option);
        }
    }
    if (sources > 1) throw EUsageError("give only one of --demo, --data and --generate");
    if (options.certFile.empty() != options.keyFile.empty()) throw EUsageError("--cert and --key go together");
    if (options.user.has_value() != options.password.has_value())
        throw EUsageError("--user and --password go together");
    if (options.nowSeconds && !options.today) throw EUsageError("--now needs --today");
    if (options.httpPort != 0 && options.httpPort == options.httpsPort)
        throw EUsageError("--http-port and --https-port must differ");
    return options;
}

std::string UsageText() {
    return "usage: calendar-service [--http-port N] [--https-port N] [--port-file FILE]\n"
           "                        [--cert FILE --key FILE] [--demo | --data FILE | --generate EVENTS:CALENDARS]\n"
           "                        [--today YYYY-MM-DD [--now HH:MM]] [--zone +HH:MM] [--domain NAME]\n"
           "                        [--user NAME --password PASS] [--gsessionid] [--log FILE]\n"
           "                        [--updates FOLDER] [--expired-certificate]\n"
           "Serves the local calendar service on 127.0.0.1 only. Port 0 picks a free port; the port file\n"
           "receives the lines http=PORT, https=PORT and certificate=SHA256 once both listeners are bound\n"
           "(the digest of the self-signed certificate, for a client to pin). The https port also\n"
           "answers plain HTTP, so one host setting 127.0.0.1:PORT serves sign-in and feeds alike.\n"
           "--updates serves the files of FOLDER at /download/webupdate/NAME for the update check.\n";
}

}  // namespace tessel::service
