// What a request is made of before it leaves: the header block, its lines and the request target.
#include "calendar/http_request.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tessel {
namespace {

// The bytes handed to WinINet, which the wire does not show: LF CR, or the caller's line and a blank line.
TEST(HttpHeaderBlock, FormContentTypeOrCallerLineByteForByte) {
    EXPECT_EQ(RequestHeaderBlock(""), "Content-Type: application/x-www-form-urlencoded\n\r");
    EXPECT_EQ(RequestHeaderBlock("Authorization: GoogleLogin Auth=c"), "Authorization: GoogleLogin Auth=c\r\n\r\n");
}

TEST(HttpHeaderBlock, LinesAreCutAtEitherBreakAndEmptyPiecesDropped) {
    EXPECT_EQ(HeaderLines(RequestHeaderBlock("")),
              std::vector<std::string>{"Content-Type: application/x-www-form-urlencoded"});
    EXPECT_EQ(HeaderLines(RequestHeaderBlock("X-A: 1")), std::vector<std::string>{"X-A: 1"});
    EXPECT_EQ(HeaderLines("X-A: 1\nX-B: 2\r\rX-C: 3"), (std::vector<std::string>{"X-A: 1", "X-B: 2", "X-C: 3"}));
    EXPECT_EQ(HeaderLines("no break at the end"), std::vector<std::string>{"no break at the end"});
    EXPECT_TRUE(HeaderLines("").empty());
    EXPECT_TRUE(HeaderLines("\r\n\n\r").empty());
}

TEST(HttpHeaderBlock, HeaderNameMatchIgnoresCaseAndNeedsTheColon) {
    EXPECT_TRUE(IsHeaderNamed("Content-Type: text/plain", "Content-Type"));
    EXPECT_TRUE(IsHeaderNamed("content-type:x", "Content-Type"));
    EXPECT_TRUE(IsHeaderNamed("Content-Type : x", "Content-Type"));
    EXPECT_FALSE(IsHeaderNamed("Content-Types: x", "Content-Type"));
    EXPECT_FALSE(IsHeaderNamed("Content-Type", "Content-Type"));
    EXPECT_FALSE(IsHeaderNamed("X-Content-Type: x", "Content-Type"));
}

TEST(HttpUrlSplit, CutsAfterTheAuthority) {
    struct Case {
        const char* url;
        const char* authority;
        const char* rest;
    };
    const Case cases[] = {
        {"http://h:1/p?q#f", "http://h:1", "/p?q#f"},
        {"https://user:pw@host/feeds/x", "https://user:pw@host", "/feeds/x"},
        {"http://host?q=1", "http://host", "?q=1"},
        {"http://host#top", "http://host", "#top"},
        {"http://host", "http://host", ""},
        {"HTTPS://HOST/", "HTTPS://HOST", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        std::string authority, rest;
        ASSERT_TRUE(SplitAtAuthority(c.url, authority, rest));
        EXPECT_EQ(authority, c.authority);
        EXPECT_EQ(rest, c.rest);
    }
    std::string authority, rest;
    EXPECT_FALSE(SplitAtAuthority("not a url", authority, rest));
    EXPECT_FALSE(SplitAtAuthority("://host/", authority, rest));
    EXPECT_FALSE(SplitAtAuthority("host/path", authority, rest));
}

// Seen from WinINet under Wine through the service's echo: escapes decoded once, blanks escaped.
TEST(HttpRequestTarget, FormedAsWinInetSendsIt) {
    struct Case {
        std::string_view rest;
        const char* target;
    };
    const Case cases[] = {
        {"/test/echo?a=1&b=x@y", "/test/echo?a=1&b=x@y"},
        {"/feeds/jane%40example.com/private/full", "/feeds/jane@example.com/private/full"},
        {"/e?a=%26b%3Dc%23d%25e%2Ff%2Bg h", "/e?a=&b=c#d%e/f+g%20h"},
        {"/e?x=%2541", "/e?x=%41"},
        {"/e?v=%20%C3%A9", "/e?v=%20\xC3\xA9"},
        {"/e?a=%zz&b=%4", "/e?a=%zz&b=%4"},
        {"/e?c=%41%00d", "/e?c=A"},
        {std::string_view("/e?c=B\0d", 8), "/e?c=B"},
        {"/e#fr ag", "/e#fr%20ag"},
        {"?q=1", "/?q=1"},
        {"", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rest);
        EXPECT_EQ(WinInetRequestTarget(c.rest), c.target);
    }
}

}  // namespace
}  // namespace tessel
