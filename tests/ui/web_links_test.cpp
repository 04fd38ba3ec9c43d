#include "ui/web_links.h"

#include <gtest/gtest.h>

#include "calendar/service_hosts.h"

namespace tessel {
namespace {

TEST(WebLinksTest, SignInAddressEncodesTheCredentials) {
    ServiceHosts hosts;
    hosts.Accounts = "127.0.0.1:8443";
    hosts.Service = "127.0.0.1:8443";
    EXPECT_EQ(WebCalendarSignInUrl(hosts, "jane.doe@example.org", "a&b #+c"),
              "https://127.0.0.1:8443/accounts/ServiceLoginAuth?continue=http://127.0.0.1:8443/calendar"
              "&service=mail&Email=jane.doe%40example.org&Passwd=a%26b%20%23%2Bc&null=Sign+in");
}

TEST(WebLinksTest, MakerPagesLiveOnTheMakerHost) {
    ServiceHosts hosts;
    hosts.Maker = "localhost:8080";
    EXPECT_EQ(MakerPageUrl(hosts, "help"), "http://localhost:8080/help");
}

}  // namespace
}  // namespace tessel
