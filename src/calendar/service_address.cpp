#include "calendar/service_address.h"

#include <cstdio>

namespace tessel {

namespace {

std::string HostWithoutPort(std::string_view hostSetting) {
    if (!hostSetting.empty() && hostSetting.front() == '[') {
        const size_t close = hostSetting.find(']');
        return std::string(hostSetting.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
    }
    return std::string(hostSetting.substr(0, hostSetting.find(':')));
}

std::string DateText(TDateTime value) {
    const DateParts d = DecodeDate(value);
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

}  // namespace

std::string ServiceDomain(std::string_view hostSetting) {
    const std::string host = HostWithoutPort(hostSetting);
    const size_t dot = host.find('.');
    if (dot == std::string::npos || dot + 1 == host.size()) return host;
    return host.substr(dot + 1);
}

std::string EncodeQueryValueForTransport(std::string_view value) { return PercentEncode(PercentEncode(value)); }

std::string SignInUrl(std::string_view hostSetting, std::string_view user, std::string_view password) {
    return "https://" + std::string(hostSetting) + "/accounts/ClientLogin?Email=" + EncodeQueryValueForTransport(user) +
           "&Passwd=" + EncodeQueryValueForTransport(password) + "&source=Tessel1&service=cl";
}

std::string FeedWindowQuery(TDateTime date, int32_t zoneHours) {
    const DateParts d = DecodeDate(date);
    const TDateTime monthStart = EncodeDate(d.year, d.month, 1);
    const TDateTime first = IncMonth(monthStart, -1);
    // The day before the first of the month two months on: the last day of the month after.
    const TDateTime last = IncMonth(monthStart, 2) - 1;
    const long long hours = zoneHours < 0 ? -static_cast<long long>(zoneHours) : zoneHours;
    char offset[32];
    std::snprintf(offset, sizeof offset, "%c%02lld:00", zoneHours >= 0 ? '-' : '+', hours);
    return "?start-min=" + DateText(first) + "T00:00:00" + offset + "&start-max=" + DateText(last) + "T23:59:59" +
           offset;
}

SessionParameter FindSessionParameter(std::string_view answer) {
    SessionParameter parameter;
    const size_t start = answer.find("gsessionid");
    if (start == std::string_view::npos) return parameter;
    parameter.found = true;
    const size_t quote = answer.find('"', start);
    if (quote != std::string_view::npos) parameter.text = std::string(answer.substr(start, quote - start));
    return parameter;
}

std::string AppendQueryParameter(const std::string& url, std::string_view parameter) {
    return url + (url.find('?') == std::string::npos ? "?" : "&") + std::string(parameter);
}

}  // namespace tessel
