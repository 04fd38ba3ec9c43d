// Subscriptions through the platform's transport against the shared local service, natively and
// under Wine: the conditional request (an ETag sent back brings a 304 and no body), a server with
// a certificate nobody vouches for, and the faults a subscriber meets, each told in words that
// never hold the address.
#include <string>
#include <vector>

#include "calendar/http.h"
#include "calendar/subscription_source.h"
#include "ical/ical.h"
#include "support/loopback_service.h"

#include <gtest/gtest.h>

namespace tessel::testing {
namespace {

class SubscriptionLoopback : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(service.problem, ""); }

    LoopbackService service = FindLoopbackService();
    THttp http;
};

TEST_F(SubscriptionLoopback, EtagSentBackBringsNotModified) {
    const std::string address = service.HttpUrl("/ics/demo.ics?token=T0K3N");
    const TSubscriptionFetch first = FetchSubscription(http, address);
    ASSERT_EQ(first.Outcome, TSubscriptionFetch::kFetched) << first.Problem;
    EXPECT_FALSE(first.ETag.empty());
    EXPECT_NE(first.LastModified.find("GMT"), std::string::npos) << first.LastModified;
    ical::Calendar calendar;
    std::string problem;
    ASSERT_TRUE(ReadSubscriptionBody(first.Body, calendar, problem)) << problem;
    EXPECT_EQ(calendar.Text(calendar.Name), "Team D\xC3\xA9mo");

    const TSubscriptionFetch again = FetchSubscription(http, address, first.ETag, first.LastModified);
    EXPECT_EQ(again.Outcome, TSubscriptionFetch::kNotModified) << again.Problem;
    EXPECT_TRUE(again.Body.empty());
    EXPECT_EQ(again.ETag, first.ETag);

    // A copy the server no longer has is sent whole.
    const TSubscriptionFetch stale = FetchSubscription(http, address, "\"gone\"");
    EXPECT_EQ(stale.Outcome, TSubscriptionFetch::kFetched);
    EXPECT_EQ(stale.Body, first.Body);
}

// A subscription has no pinned certificate: a server whose certificate no authority vouches
// for is refused, over https and webcal alike, and hears nothing of the secret address.
TEST_F(SubscriptionLoopback, SelfSignedServerIsRefused) {
    const std::string port = std::to_string(service.httpsPort);
    for (const std::string scheme : {"https", "webcal"}) {
        const TSubscriptionFetch fetch =
            FetchSubscription(http, scheme + "://127.0.0.1:" + port + "/ics/demo.ics?token=UNTRUSTED" + scheme);
        EXPECT_EQ(fetch.Outcome, TSubscriptionFetch::kFailed);
        EXPECT_EQ(fetch.Problem, "the address could not be fetched (the server's certificate is not trusted)");
        EXPECT_FALSE(service.Received("UNTRUSTED" + scheme));
    }
}

TEST_F(SubscriptionLoopback, FaultsAreToldWithoutTheAddress) {
    struct Row {
        std::string path;
        std::string problem;
    };
    const std::vector<Row> rows = {
        {"/test/status/404?token=T0K3N", "the address answered 404"},
        {"/ics/damaged.ics?token=T0K3N", "the calendar is damaged"},
        {"/ics/loop.ics?token=T0K3N", "redirect"},
        {"/test/huge/52428800?token=T0K3N", "larger than"},
        {"/ics/generated/100000.ics?token=T0K3N", "100,000 events"},
        {"/test/malformed?token=T0K3N", "web page"},
        {"/test/reset?token=T0K3N", "could not be fetched"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        const TSubscriptionCheck check = CheckSubscription(http, service.HttpUrl(row.path));
        EXPECT_FALSE(check.Ok);
        EXPECT_NE(check.Problem.find(row.problem), std::string::npos) << check.Problem;
        EXPECT_EQ(check.Problem.find("T0K3N"), std::string::npos) << check.Problem;
        EXPECT_EQ(check.Problem.find("127.0.0.1"), std::string::npos) << check.Problem;
    }
    // A sign-in portal where the calendar was expected.
    ASSERT_TRUE(http.Send({.Url = service.HttpUrl("/test/fault?path=/ics/demo.ics&status=html")}).Ok());
    const TSubscriptionCheck portal = CheckSubscription(http, service.HttpUrl("/ics/demo.ics"));
    EXPECT_EQ(portal.Problem, "the address gave a web page, not a calendar");
    EXPECT_TRUE(CheckSubscription(http, service.HttpUrl("/ics/demo.ics")).Ok);
}

}  // namespace
}  // namespace tessel::testing
