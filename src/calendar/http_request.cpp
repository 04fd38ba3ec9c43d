#include "calendar/http_request.h"

#include "base/percent_code.h"
#include "base/text.h"

namespace tessel {

std::string HeaderBlock(const std::vector<std::string>& lines) {
    std::string block;
    for (const std::string& line : lines) block += line + "\r\n";
    if (!block.empty()) block += "\r\n";
    return block;
}

bool IsHeaderNamed(std::string_view line, std::string_view name) {
    const size_t colon = line.find(':');
    return colon != std::string_view::npos && SameTextAscii(Trim(line.substr(0, colon)), name);
}

bool IsSecureScheme(std::string_view scheme) {
    return SameTextAscii(scheme, "https");
}

bool SplitAtAuthority(std::string_view url, std::string& schemeAndAuthority, std::string& rest) {
    const size_t separator = url.find("://");
    if (separator == std::string_view::npos || separator == 0) return false;
    size_t end = url.find_first_of("/?#", separator + 3);
    if (end == std::string_view::npos) end = url.size();
    schemeAndAuthority = std::string(url.substr(0, end));
    rest = std::string(url.substr(end));
    return true;
}

std::string WinInetRequestTarget(std::string_view rest) {
    std::string target;
    target.reserve(rest.size() + 1);
    if (rest.empty() || rest.front() != '/') target.push_back('/');
    for (size_t i = 0; i < rest.size(); ++i) {
        char c = rest[i];
        if (c == '\0') break;
        if (c == '%' && i + 2 < rest.size() && HexDigitValue(rest[i + 1]) >= 0 && HexDigitValue(rest[i + 2]) >= 0) {
            c = static_cast<char>(HexDigitValue(rest[i + 1]) * 16 + HexDigitValue(rest[i + 2]));
            i += 2;
            if (c == '\0') break;
        }
        if (c == ' ')
            target += "%20";
        else
            target += c;
    }
    return target;
}

bool HoldsControlCharacter(std::string_view url) {
    const auto isControl = [](int c) { return c < 0x20 || c == 0x7F; };
    for (size_t i = 0; i < url.size(); ++i) {
        const auto c = static_cast<unsigned char>(url[i]);
        if (isControl(c)) return true;
        if (c == '%' && i + 2 < url.size() && HexDigitValue(url[i + 1]) >= 0 && HexDigitValue(url[i + 2]) >= 0 &&
            isControl(HexDigitValue(url[i + 1]) * 16 + HexDigitValue(url[i + 2])))
            return true;
    }
    return false;
}

UrlOrigin OriginOf(std::string_view url) {
    UrlOrigin origin;
    std::string schemeAndAuthority, rest;
    if (!SplitAtAuthority(url, schemeAndAuthority, rest)) return origin;
    const size_t separator = schemeAndAuthority.find("://");
    origin.Scheme = LowerAscii(schemeAndAuthority.substr(0, separator));
    std::string_view authority = std::string_view(schemeAndAuthority).substr(separator + 3);
    if (const size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
    // "[::1]:8443", "host:80", "host"
    const size_t close = authority.rfind(']');
    const size_t colon = authority.rfind(':');
    if (colon != std::string_view::npos && (close == std::string_view::npos || colon > close)) {
        origin.Host = LowerAscii(authority.substr(0, colon));
        origin.Port = std::string(authority.substr(colon + 1));
    } else {
        origin.Host = LowerAscii(authority);
    }
    if (origin.Port.empty()) origin.Port = origin.Scheme == "https" ? "443" : origin.Scheme == "http" ? "80" : "";
    return origin;
}

std::string ResolvedUrl(std::string_view from, std::string_view location) {
    const size_t scheme = location.find(':');
    if (scheme != std::string_view::npos && location.find_first_of("/?#") > scheme) return std::string(location);
    const size_t authority = from.find("://");
    if (location.starts_with("//"))
        return std::string(from.substr(0, authority == std::string_view::npos ? 0 : authority + 1)) +
               std::string(location);
    const size_t pathStart = authority == std::string_view::npos ? std::string_view::npos : from.find_first_of("/?#", authority + 3);
    const std::string origin(from.substr(0, pathStart));
    if (!location.empty() && location.front() == '/') return origin + std::string(location);
    const std::string path = pathStart == std::string_view::npos || from[pathStart] != '/'
                                 ? "/"
                                 : std::string(from.substr(pathStart, from.find_first_of("?#", pathStart) - pathStart));
    return origin + path.substr(0, path.rfind('/') + 1) + std::string(location);
}

std::string NormalizedPin(std::string_view pin) {
    std::string hex = LowerAscii(pin);
    std::erase_if(hex, [](char c) { return c == ':' || c == ' '; });
    return hex;
}

bool IsValidPin(std::string_view pin) {
    const std::string hex = NormalizedPin(pin);
    if (hex.size() != 64) return false;
    for (char c : hex)
        if (HexDigitValue(c) < 0) return false;
    return true;
}

}  // namespace tessel
