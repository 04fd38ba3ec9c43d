#pragma once
// The three servers the program talks to, kept in profile.xml so that tests and the demo can
// point the program at a local service:
//   <hosts service="www.google.com" accounts="www.google.com" maker="www.tesseldesktop.com"/>
// service: sign-in and calendar feeds; accounts: the web sign-in pages opened in the browser;
// maker: help, home page and update files. Each is a host name or address, optionally followed
// by ":port" ("127.0.0.1:8080", "[::1]:8443"). A service whose certificate no authority vouches
// for (a company's own server, the local service) is trusted when the element names that
// certificate's SHA-256 digest: certificate="AB:CD:…" (64 hex digits, colons and blanks allowed).
#include <string>
#include <string_view>

namespace tessel {

class TxdataNode;

inline constexpr char kDefaultServiceHost[] = "www.google.com";
inline constexpr char kDefaultAccountsHost[] = "www.google.com";
inline constexpr char kDefaultMakerHost[] = "www.tesseldesktop.com";

struct ServiceHosts {
    std::string Service = kDefaultServiceHost;
    std::string Accounts = kDefaultAccountsHost;
    std::string Maker = kDefaultMakerHost;
    // Lower-case hex without separators; empty when none is pinned.
    std::string Certificate;
};

// The hosts element of the settings tree; a missing element, attribute or empty value gives the
// shipped default. A value that is not a host (blanks, a path, a user part, a bad port) raises
// EConvertError "'<value>' is not a valid host name": it would otherwise end up inside a URL
// that carries the account's password. A certificate that is not 64 hex digits raises
// EConvertError "'<value>' is not a certificate's SHA-256 digest".
ServiceHosts ReadServiceHosts(const TxdataNode& profileDoc);

// A host name, an IPv4 address or a bracketed IPv6 address, with an optional port 1..65535.
bool IsValidHost(std::string_view host);

}  // namespace tessel
