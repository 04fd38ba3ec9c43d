// The addresses the client builds and the answer texts it looks into.
#include "calendar/service_address.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(CalendarAddress, DomainDropsPortAndFirstLabel) {
    EXPECT_EQ(ServiceDomain("www.google.com"), "google.com");
    EXPECT_EQ(ServiceDomain("calendar.test:8443"), "test");
    EXPECT_EQ(ServiceDomain("www.calendar.test"), "calendar.test");
    EXPECT_EQ(ServiceDomain("localhost:8080"), "localhost");
    EXPECT_EQ(ServiceDomain("127.0.0.1:8080"), "0.0.1");
    EXPECT_EQ(ServiceDomain("[::1]:8443"), "::1");
    EXPECT_EQ(ServiceDomain("host."), "host.");
}

TEST(CalendarAddress, FeedWindowForZoneSevenInMarch) {
    EXPECT_EQ(FeedWindowQuery(EncodeDate(2008, 3, 15), 7),
              "?start-min=2008-02-01T00:00:00-07:00&start-max=2008-04-30T23:59:59-07:00");
}

TEST(CalendarAddress, FeedWindowCrossesYearsAndLeapDays) {
    EXPECT_EQ(FeedWindowQuery(EncodeDate(2008, 12, 10), 0),
              "?start-min=2008-11-01T00:00:00-00:00&start-max=2009-01-31T23:59:59-00:00");
    EXPECT_EQ(FeedWindowQuery(EncodeDateTime(2008, 1, 31, 23, 59), 5),
              "?start-min=2007-12-01T00:00:00-05:00&start-max=2008-02-29T23:59:59-05:00");
    EXPECT_EQ(FeedWindowQuery(EncodeDate(2009, 1, 1), -8),
              "?start-min=2008-12-01T00:00:00+08:00&start-max=2009-02-28T23:59:59+08:00");
    EXPECT_EQ(FeedWindowQuery(EncodeDate(2010, 6, 30), -13),
              "?start-min=2010-05-01T00:00:00+13:00&start-max=2010-07-31T23:59:59+13:00");
    EXPECT_EQ(FeedWindowQuery(EncodeDate(2010, 11, 2), 120),
              "?start-min=2010-10-01T00:00:00-120:00&start-max=2010-12-31T23:59:59-120:00");
}

TEST(CalendarAddress, PercentEncodingKeepsOnlyUnreservedCharacters) {
    EXPECT_EQ(PercentEncode("aZ09-._~"), "aZ09-._~");
    EXPECT_EQ(PercentEncode("a&b#c+d e%f=g?h/i@j"), "a%26b%23c%2Bd%20e%25f%3Dg%3Fh%2Fi%40j");
    EXPECT_EQ(PercentEncode("\xc3\xa9"), "%C3%A9");
    EXPECT_EQ(EncodeQueryValueForTransport("a&b"), "a%2526b");
}

TEST(CalendarAddress, SignInAddressHasTheFixedKeysInOrder) {
    EXPECT_EQ(SignInUrl("www.google.com", "jane", "pw"),
              "https://www.google.com/accounts/ClientLogin?Email=jane&Passwd=pw&source=Tessel1&service=cl");
}

TEST(CalendarAddress, SessionParameterRunsToTheNextQuote) {
    SessionParameter p = FindSessionParameter("<a href=\"http://h/f?gsessionid=XYZ\">x gsessionid=other\"");
    EXPECT_TRUE(p.found);
    EXPECT_EQ(p.text, "gsessionid=XYZ");
    p = FindSessionParameter("no session here, GSESSIONID=upper\"");
    EXPECT_FALSE(p.found);
    p = FindSessionParameter("gsessionid=unterminated");
    EXPECT_TRUE(p.found);
    EXPECT_EQ(p.text, "");
}

TEST(CalendarAddress, ParameterJoinsWithQuestionMarkOrAmpersand) {
    EXPECT_EQ(AppendQueryParameter("http://h/f", "g=1"), "http://h/f?g=1");
    EXPECT_EQ(AppendQueryParameter("http://h/f?a=b", "g=1"), "http://h/f?a=b&g=1");
}

}  // namespace
}  // namespace tessel
