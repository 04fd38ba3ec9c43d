#include "ui/web_links.h"

#include "base/percent_code.h"
#include "base/text.h"
#include "calendar/service_hosts.h"

namespace tessel {

std::string WebCalendarSignInUrl(const ServiceHosts& hosts, const std::string& user, const std::string& password) {
    return "https://" + hosts.Accounts + "/accounts/ServiceLoginAuth?continue=http://" + hosts.Service +
           "/calendar&service=mail&Email=" + PercentEncode(user) + "&Passwd=" + PercentEncode(password) +
           "&null=Sign+in";
}

std::string EventPageSignInUrl(const ServiceHosts& hosts, const std::string& link, const std::string& user,
                               const std::string& password) {
    return "https://" + hosts.Service + "/accounts/ServiceLoginAuth?continue=" + PercentEncode(link) +
           "&Email=" + PercentEncode(user) + "&Passwd=" + PercentEncode(password) + "&null=Sign+in";
}

std::string EventPageUrl(const ServiceHosts& hosts, const std::string& link, const std::string& user,
                         const std::string& password) {
    if (link.empty()) return EventPageSignInUrl(hosts, link, user, password);
    const size_t scheme = link.find("://");
    if (scheme == std::string::npos) return std::string();
    const std::string name = link.substr(0, scheme);
    if (!SameTextAscii(name, "http") && !SameTextAscii(name, "https")) return std::string();
    const size_t end = link.find_first_of("/?#", scheme + 3);
    const std::string host = link.substr(scheme + 3, end == std::string::npos ? end : end - scheme - 3);
    if (SameTextAscii(host, hosts.Service)) return EventPageSignInUrl(hosts, link, user, password);
    return link;
}

std::string MakerPageUrl(const ServiceHosts& hosts, const std::string& page) {
    return "http://" + hosts.Maker + "/" + page;
}

}  // namespace tessel
