#include "ui/web_links.h"

#include "base/percent_code.h"
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

std::string MakerPageUrl(const ServiceHosts& hosts, const std::string& page) {
    return "http://" + hosts.Maker + "/" + page;
}

}  // namespace tessel
