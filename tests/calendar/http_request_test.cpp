// What a request is made of before it leaves: the header block, its lines and the request target.
#include "calendar/http_request.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace tessel {
namespace {

TEST(HttpHeaderBlock, LinesJoinedWithAnEmptyLineAtTheEnd) {
    EXPECT_EQ(HeaderBlock({}), "");
    EXPECT_EQ(HeaderBlock({"Authorization: GoogleLogin Auth=c"}), "Authorization: GoogleLogin Auth=c\r\n\r\n");
    EXPECT_EQ(HeaderBlock({"Depth: 1", "X-A: 2"}), "Depth: 1\r\nX-A: 2\r\n\r\n");
}

// What the redirect rules compare: the server an address names, and where a Location leads.
TEST(HttpUrlOrigin, SchemeHostAndPortSpeltOut) {
    struct Case {
        const char* url;
        UrlOrigin origin;
    };
    const Case cases[] = {
        {"http://Host.Example/p", {"http", "host.example", "80"}},
        {"HTTPS://host:8443?q", {"https", "host", "8443"}},
        {"https://user:pw@host/x", {"https", "host", "443"}},
        {"http://[::1]:81/x", {"http", "[::1]", "81"}},
        {"https://[::1]/x", {"https", "[::1]", "443"}},
        {"file:///etc/passwd", {"file", "", ""}},
        {"no scheme", {"", "", ""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url);
        const UrlOrigin origin = OriginOf(c.url);
        EXPECT_EQ(origin.Scheme, c.origin.Scheme);
        EXPECT_EQ(origin.Host, c.origin.Host);
        EXPECT_EQ(origin.Port, c.origin.Port);
    }
}

TEST(HttpUrlOrigin, LocationsResolveAgainstTheAddressThatAnswered) {
    struct Case {
        const char* from;
        const char* location;
        const char* resolved;
    };
    const Case cases[] = {
        {"http://h/a/b?q", "https://o/x", "https://o/x"},
        {"http://h/a/b?q", "/x?y", "http://h/x?y"},
        {"http://h/a/b?q", "c", "http://h/a/c"},
        {"http://h?q", "c", "http://h/c"},
        {"https://h:1/a", "//o/x", "https://o/x"},
        {"http://h/a", "file:///etc/passwd", "file:///etc/passwd"},
        {"http://h/a", "/p:x", "http://h/p:x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.from) + " + " + c.location);
        EXPECT_EQ(ResolvedUrl(c.from, c.location), c.resolved);
    }
}

TEST(HttpUrlOrigin, ControlCharactersWrittenOrEscapedAreFound) {
    for (const char* url : {"http://h/a%0D%0Ab", "http://h/a\r\nb", "http://h/%00", "http://h/%7F", "http://h/%1f"})
        EXPECT_TRUE(HoldsControlCharacter(url)) << url;
    for (const char* url : {"http://h/a b", "http://h/%20%7E%C3%A9", "http://h/%0", "http://h/%zz"})
        EXPECT_FALSE(HoldsControlCharacter(url)) << url;
}

TEST(HttpPin, DigestsAreTakenInAnyCaseWithColonsOrBlanks) {
    const std::string hex(64, 'a');
    std::string colons;
    for (size_t i = 0; i < 64; i += 2) colons += (i ? ":" : "") + std::string("AA");
    EXPECT_EQ(NormalizedPin(colons), hex);
    EXPECT_TRUE(IsValidPin(colons));
    EXPECT_TRUE(IsValidPin("AA aa" + std::string(60, 'B')));
    EXPECT_FALSE(IsValidPin(std::string(63, 'a')));
    EXPECT_FALSE(IsValidPin(std::string(64, 'g')));
    EXPECT_FALSE(IsValidPin(""));
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
