#include "ui/web_links.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

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

// The service's own event pages open signed in; a subscription's link never carries the
// account's name and password anywhere.
TEST(WebLinksTest, EventPagesSignInOnlyOnTheService) {
    ServiceHosts hosts;
    hosts.Service = "127.0.0.1:8443";
    const std::string signIn = "https://127.0.0.1:8443/accounts/ServiceLoginAuth?continue=";
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"http://127.0.0.1:8443/event?eid=1", signIn + "http%3A%2F%2F127.0.0.1%3A8443%2Fevent%3Feid%3D1"},
        {"HTTPS://127.0.0.1:8443", signIn + "HTTPS%3A%2F%2F127.0.0.1%3A8443"},
        {"", signIn + "&"},
        {"https://tessel.test/review", "https://tessel.test/review"},
        {"http://127.0.0.1:8443.evil.test/x", "http://127.0.0.1:8443.evil.test/x"},
        {"javascript:alert(1)", ""},
        {"file:///C:/Windows/system32/calc.exe", ""},
        {"mailto:jane@example.org", ""},
    };
    for (const auto& [link, opened] : rows) {
        SCOPED_TRACE(link);
        const std::string url = EventPageUrl(hosts, link, "jane", "pw");
        if (opened.rfind(signIn, 0) == 0) {
            EXPECT_EQ(url.rfind(opened, 0), 0u) << url;
            EXPECT_NE(url.find("Passwd=pw"), std::string::npos);
        } else {
            EXPECT_EQ(url, opened);
        }
    }
}

TEST(WebLinksTest, MakerPagesLiveOnTheMakerHost) {
    ServiceHosts hosts;
    hosts.Maker = "localhost:8080";
    EXPECT_EQ(MakerPageUrl(hosts, "help"), "http://localhost:8080/help");
}

}  // namespace
}  // namespace tessel
