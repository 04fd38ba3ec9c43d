#pragma once
// Runs the calendar service inside the test process on free loopback ports, and talks to it
// with an HTTP client or, where the exact bytes matter, a raw socket.
#include <httplib.h>

#include <memory>
#include <string>

#include "service_app.h"
#include "service_options.h"

namespace tessel::service::testing {

// One self-signed identity for the whole suite: making an RSA key for each test would be slow.
const PemIdentity& SharedIdentity();

// Options for a service around 15 March 2008, 12:00, seven hours west of UTC.
ServiceOptions FixedDayOptions();

class RunningService {
public:
    explicit RunningService(ServiceOptions options = FixedDayOptions());
    ~RunningService();

    CalendarServiceApp& App() { return app_; }
    httplib::Client Http() const;
    std::unique_ptr<httplib::SSLClient> Https() const;  // not movable, hence the pointer
    // Plain HTTP to the https listener, which also answers it.
    httplib::Client PlainToHttpsPort() const;
    // The "Auth=..." line of a successful sign-in.
    std::string SignIn(const std::string& email = "demo@localhost", const std::string& password = "demo") const;

private:
    CalendarServiceApp app_;
};

// Sends bytes as they are and reads until the server closes (or 10 s pass). received is what
// came back; the result is false when the connection was reset or failed.
bool RawExchange(int port, const std::string& bytes, std::string& received);

}  // namespace tessel::service::testing
