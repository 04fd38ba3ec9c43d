#include "http_message.h"

#include <gtest/gtest.h>

#include "query.h"

namespace tessel::service {
namespace {

TEST(RequestHead, KeepsHeaderLinesAsSentIncludingLoneLineFeeds) {
    // A line ended by a lone LF is a line of its own; the transports' tests look at such lines.
    const std::string head =
        "GET /feed?a=1 HTTP/1.0\r\nUser-Agent: User-Agent: Mozilla/5.0\r\n"
        "Content-Type: application/x-www-form-urlencoded\nHost: x\r\n\r\nNEXT";
    HttpRequest request;
    size_t consumed = 0;
    ASSERT_EQ(ParseRequestHead(head, request, consumed), HeadParse::Complete);
    EXPECT_EQ(head.substr(consumed), "NEXT");
    EXPECT_EQ(request.method, "GET");
    EXPECT_EQ(request.target, "/feed?a=1");
    EXPECT_EQ(request.path, "/feed");
    EXPECT_EQ(request.query, "a=1");
    EXPECT_EQ(request.version, "HTTP/1.0");
    ASSERT_EQ(request.rawHeaders.size(), 3u);
    EXPECT_EQ(request.rawHeaders[0], "User-Agent: User-Agent: Mozilla/5.0");
    EXPECT_EQ(request.rawHeaders[1], "Content-Type: application/x-www-form-urlencoded");
    ASSERT_NE(request.Header("user-agent"), nullptr);
    EXPECT_EQ(*request.Header("USER-AGENT"), "User-Agent: Mozilla/5.0");
    EXPECT_EQ(request.Header("Authorization"), nullptr);
}

TEST(RequestHead, WaitsForTheEmptyLine) {
    HttpRequest request;
    size_t consumed = 0;
    EXPECT_EQ(ParseRequestHead("", request, consumed), HeadParse::Incomplete);
    EXPECT_EQ(ParseRequestHead("GET / HTTP/1.1\r\nHost: a\r\n", request, consumed), HeadParse::Incomplete);
    EXPECT_EQ(ParseRequestHead("GET / HTTP/1.1", request, consumed), HeadParse::Incomplete);
}

TEST(RequestHead, RefusesBrokenRequestLines) {
    for (const char* line : {"GET\r\n\r\n", "GET /\r\n\r\n", "GET / FTP/1.0\r\n\r\n", "GET noslash HTTP/1.1\r\n\r\n",
                             "G(T / HTTP/1.1\r\n\r\n", "GET / HTTP/1.10\r\n\r\n", " / HTTP/1.1\r\n\r\n"}) {
        SCOPED_TRACE(line);
        HttpRequest request;
        size_t consumed = 0;
        EXPECT_EQ(ParseRequestHead(line, request, consumed), HeadParse::Malformed);
    }
}

TEST(RequestHead, LinesWithoutANameAreKeptButCarryNoHeader) {
    HttpRequest request;
    size_t consumed = 0;
    ASSERT_EQ(ParseRequestHead("GET / HTTP/1.1\r\nno colon here\r\n: empty name\r\nA:  b \r\n\r\n", request, consumed),
              HeadParse::Complete);
    EXPECT_EQ(request.rawHeaders.size(), 3u);
    ASSERT_EQ(request.headers.size(), 1u);
    EXPECT_EQ(request.headers[0].second, "b");
}

TEST(RequestHead, HostForLinksFallsBackToTheListener) {
    HttpRequest request;
    request.localPort = 8080;
    EXPECT_EQ(request.HostForLinks(), "127.0.0.1:8080");
    request.headers.emplace_back("host", "localhost:99");
    EXPECT_EQ(request.HostForLinks(), "localhost:99");
}

TEST(QueryText, PlusSignsSurviveAndOnlyWellFormedEscapesDecode) {
    const QueryParams params("start-min=2008-02-01T00:00:00+08:00&Email=a%40b&odd=%zz%4&flag&=x&Passwd=p%26q");
    ASSERT_NE(params.Find("start-min"), nullptr);
    EXPECT_EQ(*params.Find("start-min"), "2008-02-01T00:00:00+08:00");
    EXPECT_EQ(*params.Find("Email"), "a@b");
    EXPECT_EQ(*params.Find("odd"), "%zz%4");
    EXPECT_TRUE(params.Has("flag"));
    EXPECT_EQ(*params.Find("flag"), "");
    EXPECT_EQ(*params.Find("Passwd"), "p&q");
    EXPECT_EQ(params.Find("email"), nullptr);  // names are exact
}

TEST(QueryText, AnUnescapedAmpersandCutsAPasswordShort) {
    const QueryParams params("Email=demo@localhost&Passwd=de&mo&source=Tessel1");
    EXPECT_EQ(*params.Find("Passwd"), "de");
}

TEST(QueryText, EncodeKeepsOnlyUnreservedBytes) {
    EXPECT_EQ(PercentEncode("demo@localhost"), "demo%40localhost");
    EXPECT_EQ(PercentEncode("a b'\"&/\xC3\xA9"), "a%20b%27%22%26%2F%C3%A9");
    EXPECT_EQ(PercentDecode(PercentEncode("x y/z")), "x y/z");
}

TEST(QueryText, BoundedNumbers) {
    long long value = -1;
    EXPECT_TRUE(ParseBoundedInt("404", 200, 599, value));
    EXPECT_EQ(value, 404);
    for (const char* bad : {"", "199", "600", "-1", "+5", " 5", "5x", "99999999999999999999"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(ParseBoundedInt(bad, 200, 599, value));
    }
}

}  // namespace
}  // namespace tessel::service
