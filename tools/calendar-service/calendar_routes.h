#pragma once
// The protocol the client speaks: the sign-in (ClientLogin), the calendar list feed, the event
// feeds with their start-min/start-max window, the gsessionid hand-out, the web sign-in page,
// and the maker's server files.
#include <array>
#include <string>

#include "http_message.h"
#include "service_data.h"

namespace tessel::service {

class CalendarRoutes {
public:
    // data must outlive the routes. The tokens are bound to the account and to this run.
    CalendarRoutes(const ServiceData& data, std::string domain);

    // Answers request when it is one of the protocol's paths; false otherwise.
    bool Handle(const HttpRequest& request, HttpResponse& response) const;

    // The token ("Auth=" value) the sign-in hands out for the account.
    std::string TokenFor(const AccountRecord& account) const;
    // The gsessionid value the account's feeds ask for.
    std::string SessionIdFor(const AccountRecord& account) const;

private:
    std::string Derive(const std::string& label, const AccountRecord& account, size_t length) const;
    void SignIn(const HttpRequest& request, HttpResponse& response) const;
    void WebSignIn(const HttpRequest& request, HttpResponse& response) const;
    // The signed-in account, or null after answering 401.
    const AccountRecord* Authorize(const HttpRequest& request, HttpResponse& response) const;
    // False after answering the gsessionid hand-out.
    bool HasSession(const HttpRequest& request, HttpResponse& response, const AccountRecord& account) const;
    void CalendarList(const HttpRequest& request, HttpResponse& response) const;
    void EventFeed(const HttpRequest& request, HttpResponse& response, const std::string& calendarId) const;

    const ServiceData& data_;
    std::string domain_;
    std::array<unsigned char, 32> secret_{};
};

// False for a Host header that could not stand in an address (anything beyond letters, digits,
// dots, hyphens, a port and IPv6 brackets).
bool IsUsableHost(const std::string& host);

}  // namespace tessel::service
