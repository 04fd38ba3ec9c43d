#include "app/web_links.h"

#include "app/service_hosts.h"
#include "calendar/service_address.h"

namespace tessel {

std::string WebCalendarSignInUrl(const ServiceHosts& hosts, const std::string& user, const std::string& password) {
    return "https://" + hosts.Accounts + "/accounts/ServiceLoginAuth?continue=http://" + hosts.Service +
           "/calendar&service=mail&Email=" + PercentEncode(user) + "&Passwd=" + PercentEncode(password) +
           "&null=Sign+in";
}

std::string MakerPageUrl(const ServiceHosts& hosts, const std::string& page) {
    return "http://" + hosts.Maker + "/" + page;
}

}  // namespace tessel
