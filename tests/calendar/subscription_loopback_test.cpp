// Subscriptions through the platform's transport against the shared local service, natively and
// under Wine: the conditional request (an ETag sent back brings a 304 and no body), webcal as
// https, and the faults a subscriber meets, each told in words that never hold the address.
#include <string>
#include <vector>

#include "calendar/http.h"
#include "calendar/subscriptions.h"
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

TEST_F(SubscriptionLoopback, EtagSentBackBringsNotModifiedOverHttpAndHttps) {
    const std::string port = std::to_string(service.httpsPort);
    for (const std::string& address : {service.HttpUrl("/ics/demo.ics?token=T0K3N"),
                                       "https://127.0.0.1:" + port + "/ics/demo.ics?token=T0K3N",
                                       "webcal://127.0.0.1:" + port + "/ics/demo.ics?token=T0K3N"}) {
        SCOPED_TRACE(address);
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
        EXPECT_EQ(http.StatusCode, 304);
        EXPECT_TRUE(again.Body.empty());
        EXPECT_EQ(again.ETag, first.ETag);

        // A copy the server no longer has is sent whole.
        const TSubscriptionFetch stale = FetchSubscription(http, address, "\"gone\"");
        EXPECT_EQ(stale.Outcome, TSubscriptionFetch::kFetched);
        EXPECT_EQ(stale.Body, first.Body);
    }
    // Redirects are followed by the transport's own count, relative ones included.
    http.MaxRedirects = 3;
    ASSERT_TRUE(http.Get(service.HttpUrl("/test/redirect")));
    EXPECT_EQ(http.Response.rfind("GET /test/echo", 0), 0u) << http.Response;
    http.MaxRedirects = -1;
    // The validators go with that request only.
    EXPECT_TRUE(http.IfNoneMatch.empty());
    EXPECT_TRUE(http.Get(service.HttpUrl("/test/echo")));
    EXPECT_EQ(http.Response.find("If-None-Match"), std::string::npos) << http.Response;
}

TEST_F(SubscriptionLoopback, FaultsAreToldWithoutTheAddress) {
    http.RequestTimeLimitMs = 5000;
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
    ASSERT_TRUE(http.Get(service.HttpUrl("/test/fault?path=/ics/demo.ics&status=html")));
    const TSubscriptionCheck portal = CheckSubscription(http, service.HttpUrl("/ics/demo.ics"));
    EXPECT_EQ(portal.Problem, "the address gave a web page, not a calendar");
    EXPECT_TRUE(CheckSubscription(http, service.HttpUrl("/ics/demo.ics")).Ok);
}

}  // namespace
}  // namespace tessel::testing
