// When a download counts as whole, read from the answer's head as the server sent it.
#include "update/transfer_rule.h"

#include <gtest/gtest.h>

namespace tessel::update {
namespace {

TEST(TransferWhole, OnlyA200WithOneMetLengthOrAMatchingDigest) {
    const struct {
        const char* what;
        int status;
        const char* head;
        uint64_t received;
        bool digestMatched;
        BodyVerdict verdict;
    } cases[] = {
        {"length met", 200, "HTTP/1.1 200 OK\r\nContent-Length: 4800\r\n\r\n", 4800, false, BodyVerdict::Whole},
        {"length short", 200, "HTTP/1.1 200 OK\r\nContent-Length: 4800\r\n\r\n", 2400, false, BodyVerdict::Cut},
        {"length passed", 200, "HTTP/1.1 200 OK\r\nContent-Length: 4800\r\n\r\n", 4801, true, BodyVerdict::Cut},
        {"two lengths, the first short", 200, "HTTP/1.1 200 OK\r\ncontent-length: 2400\r\nContent-Length: 4800\r\n",
         2400, false, BodyVerdict::Ambiguous},
        {"two equal lengths", 200, "HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Length:  10 \r\n", 10, false,
         BodyVerdict::Whole},
        {"length not a number", 200, "HTTP/1.1 200 OK\r\nContent-Length: 1e3\r\n", 1000, false, BodyVerdict::Ambiguous},
        {"negative length", 200, "HTTP/1.1 200 OK\r\nContent-Length: -1\r\n", 0, false, BodyVerdict::Ambiguous},
        {"chunked", 200, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n", 2400, false, BodyVerdict::Unverifiable},
        {"chunked with its digest", 200, "HTTP/1.1 200 OK\nTransfer-Encoding: chunked\n", 4800, true, BodyVerdict::Whole},
        {"chunked and a length", 200, "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\nContent-Length: 9\r\n", 9, true,
         BodyVerdict::Ambiguous},
        {"identity is no coding", 200, "HTTP/1.1 200 OK\r\nTransfer-Encoding: identity\r\nContent-Length: 9\r\n", 9,
         false, BodyVerdict::Whole},
        {"HTTP/1.0 without a length", 200, "HTTP/1.0 200 OK\r\nContent-Type: x\r\n", 2400, false,
         BodyVerdict::Unverifiable},
        {"HTTP/1.0 without a length, digest", 200, "HTTP/1.0 200 OK\r\n", 4800, true, BodyVerdict::Whole},
        {"partial content", 206, "HTTP/1.1 206 Partial Content\r\nContent-Length: 2400\r\n", 2400, true,
         BodyVerdict::NotOk},
        {"no content", 204, "HTTP/1.1 204 No Content\r\n", 0, false, BodyVerdict::NotOk},
        {"the status line names no header", 200, "Content-Length: 5 200 OK\r\n", 3, false, BodyVerdict::Unverifiable},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ResponseHead head;
        head.Status = c.status;
        ReadResponseHeaders(c.head, head);
        EXPECT_EQ(JudgeBody(head, c.received, c.digestMatched), c.verdict);
    }
}

TEST(TransferRedirect, OnlyToWebAddressesAndPathsOnTheSameServer) {
    const struct {
        const char* current;
        const char* location;
        const char* next;  // null: refused
    } cases[] = {
        {"http://h:1/a/b.inf", "http://other/x.inf", "http://other/x.inf"},
        {"http://h:1/a/b.inf", " https://other/x ", "https://other/x"},
        {"http://h:1/a/b.inf?q=1", "/c/d.inf", "http://h:1/c/d.inf"},
        {"https://h/a", "/", "https://h/"},
        {"http://h/a", "file:///c:/windows/win.ini", nullptr},
        {"http://h/a", "//evil/x", nullptr},
        {"http://h/a", "ftp://h/x", nullptr},
        {"http://h/a", "", nullptr},
        {"http://h/a", "b.inf", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.location);
        std::string next;
        ASSERT_EQ(RedirectTarget(c.current, c.location, next), c.next != nullptr);
        if (c.next) {
            EXPECT_EQ(next, c.next);
        }
    }
}

}  // namespace
}  // namespace tessel::update
