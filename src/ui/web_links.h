#pragma once
// Addresses the program opens in the browser: the web calendar, signed in through the accounts
// host, and the maker's pages.
#include <string>

namespace tessel {

struct ServiceHosts;

// https://ACCOUNTS/accounts/ServiceLoginAuth?continue=http://SERVICE/calendar&service=mail
//   &Email=USER&Passwd=PASSWORD&null=Sign+in
// The name and the password are percent-encoded, so a password holding "&", "#", "+" or a blank
// still signs in.
std::string WebCalendarSignInUrl(const ServiceHosts& hosts, const std::string& user, const std::string& password);

// https://SERVICE/accounts/ServiceLoginAuth?continue=LINK&Email=USER&Passwd=PASSWORD&null=Sign+in
// An event's page, signed in. All three values are percent-encoded: a link with its own query,
// or a name or password holding "&", "#", "%", "+", a blank or non-ASCII text, would otherwise
// cut the address short or add parameters to it.
std::string EventPageSignInUrl(const ServiceHosts& hosts, const std::string& link, const std::string& user,
                               const std::string& password);

// What a double click on an event opens: its page on the service signed in (EventPageSignInUrl)
// when the link is the service's or empty; a subscription's http or https link as it is, since
// the account's name and password are the service's alone; nothing (empty) for any other link.
std::string EventPageUrl(const ServiceHosts& hosts, const std::string& link, const std::string& user,
                         const std::string& password);

// http://MAKER/PAGE
std::string MakerPageUrl(const ServiceHosts& hosts, const std::string& page);

}  // namespace tessel
