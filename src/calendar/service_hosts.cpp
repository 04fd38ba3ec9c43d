#include "calendar/service_hosts.h"

#include <cstdint>

#include "base/errors.h"
#include "base/text.h"
#include "calendar/http_request.h"
#include "xml/xdata_node.h"

namespace tessel {

namespace {

bool IsAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool IsValidPort(std::string_view port) {
    if (port.empty() || port.size() > 5) return false;
    uint32_t value = 0;
    for (char c : port) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + uint32_t(c - '0');
    }
    return value >= 1 && value <= 65535;
}

// Dot-separated labels of letters, digits and hyphens; a label neither empty nor edged by a hyphen.
bool IsValidHostName(std::string_view name) {
    if (name.empty() || name.size() > 253) return false;
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find('.', start);
        if (end == name.npos) end = name.size();
        const std::string_view label = name.substr(start, end - start);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        for (char c : label)
            if (!IsAsciiAlnum(c) && c != '-') return false;
        start = end + 1;
    }
    return true;
}

bool IsValidIpv6Literal(std::string_view address) {
    if (address.empty() || address.find(':') == address.npos) return false;
    for (char c : address)
        if (!IsHexDigit(c) && c != ':' && c != '.') return false;
    return true;
}

std::string ReadHost(const TxdataNode& profileDoc, std::u16string_view path, const char* fallback) {
    const std::string value = Trim(Narrow(profileDoc.ReadValue(path)));
    if (value.empty()) return fallback;
    if (!IsValidHost(value)) throw EConvertError("'" + value + "' is not a valid host name");
    return value;
}

}  // namespace

bool IsValidHost(std::string_view host) {
    std::string_view name = host;
    std::string_view port;
    bool hasPort = false;
    if (!host.empty() && host.front() == '[') {
        const size_t close = host.find(']');
        if (close == host.npos) return false;
        if (!IsValidIpv6Literal(host.substr(1, close - 1))) return false;
        const std::string_view rest = host.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':') return false;
            hasPort = true;
            port = rest.substr(1);
        }
        return !hasPort || IsValidPort(port);
    }
    const size_t colon = host.find(':');
    if (colon != host.npos) {
        name = host.substr(0, colon);
        port = host.substr(colon + 1);
        hasPort = true;
    }
    return IsValidHostName(name) && (!hasPort || IsValidPort(port));
}

ServiceHosts ReadServiceHosts(const TxdataNode& profileDoc) {
    ServiceHosts hosts;
    hosts.Service = ReadHost(profileDoc, u"hosts/service", kDefaultServiceHost);
    hosts.Accounts = ReadHost(profileDoc, u"hosts/accounts", kDefaultAccountsHost);
    hosts.Maker = ReadHost(profileDoc, u"hosts/maker", kDefaultMakerHost);
    const std::string pin = Trim(Narrow(profileDoc.ReadValue(u"hosts/certificate")));
    if (!pin.empty() && !IsValidPin(pin)) throw EConvertError("'" + pin + "' is not a certificate's SHA-256 digest");
    hosts.Certificate = NormalizedPin(pin);
    return hosts;
}

}  // namespace tessel
