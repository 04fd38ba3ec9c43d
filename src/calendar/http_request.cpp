#include "calendar/http_request.h"

#include "base/percent_code.h"
#include "base/text.h"

namespace tessel {

std::string RequestHeaderBlock(const std::string& extraHeader, const std::string& ifNoneMatch,
                               const std::string& ifModifiedSince) {
    if (ifNoneMatch.empty() && ifModifiedSince.empty()) {
        if (extraHeader.empty()) return std::string(kFormContentTypeBlock);
        return extraHeader + "\r\n\r\n";
    }
    // A validator is the server's own text sent back; one with a line break would add lines.
    const auto oneLine = [](const std::string& value) { return value.find_first_of("\r\n") == std::string::npos; };
    std::string block;
    if (!extraHeader.empty()) block += extraHeader + "\r\n";
    if (!ifNoneMatch.empty() && oneLine(ifNoneMatch)) block += "If-None-Match: " + ifNoneMatch + "\r\n";
    if (!ifModifiedSince.empty() && oneLine(ifModifiedSince))
        block += "If-Modified-Since: " + ifModifiedSince + "\r\n";
    return block + "\r\n";
}

std::vector<std::string> HeaderLines(std::string_view block) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < block.size()) {
        size_t end = block.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = block.size();
        if (end > start) lines.emplace_back(block.substr(start, end - start));
        start = end + 1;
    }
    return lines;
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

}  // namespace tessel
