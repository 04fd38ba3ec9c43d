#include "calendar/service_hosts.h"

#include <gtest/gtest.h>

#include "base/errors.h"
#include "xml/xdata_node.h"

namespace tessel {
namespace {

TEST(ServiceHostsTest, MissingValuesGiveTheDefaultsAndOthersAreChecked) {
    TxdataNode doc;
    doc.LoadFromBytes("<p><hosts service=\"127.0.0.1:8080\" maker=\"  \"/></p>");
    const ServiceHosts hosts = ReadServiceHosts(doc);
    EXPECT_EQ(hosts.Service, "127.0.0.1:8080");
    EXPECT_EQ(hosts.Accounts, kDefaultAccountsHost);
    EXPECT_EQ(hosts.Maker, kDefaultMakerHost);

    for (const char* good : {"localhost:1", "127.0.0.1:65535", "[::1]", "[::1]:8443", "a-b.Example.ORG"})
        EXPECT_TRUE(IsValidHost(good)) << good;
    for (const char* bad : {"", ":80", "host:", "host:0", "host:65536", "host:80x", "a b", "evil.com/x?", "user@host",
                            "host..com", "-host.com", "[::1", "[]", "[::1]x", "host:80:90", "h\xC3\xA9st"})
        EXPECT_FALSE(IsValidHost(bad)) << bad;

    TxdataNode hostile;
    hostile.LoadFromBytes("<p><hosts accounts=\"evil.example/phish?x=\"/></p>");
    try {
        ReadServiceHosts(hostile);
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'evil.example/phish?x=' is not a valid host name");
    }
}

}  // namespace
}  // namespace tessel
