#include "update_files.h"

#include <gtest/gtest.h>

#include "base/file_io.h"
#include "service_fixture.h"
#include "support/temp_folder.h"

namespace tessel::service {
namespace {

using testing::RunningService;

class ServiceUpdateFiles : public ::testing::Test {
protected:
    tessel::testing::TempFolder folder;
    std::unique_ptr<RunningService> service;

    void SetUp() override {
        WriteFileAtomic(folder.File(u"tessel.inf"), "#url1=http://{host}/download/webupdate/a.dll\r\n");
        WriteFileAtomic(folder.File(u"a.dll"), std::string(5000, 'a'));
        ServiceOptions options = testing::FixedDayOptions();
        options.updatesFolder = folder.Path().string();
        service = std::make_unique<RunningService>(options);
    }
    std::string Get(const std::string& target, std::string& received) {
        testing::RawExchange(service->App().HttpPort(),
                             "GET " + target + " HTTP/1.1\r\nHost: h:1\r\nConnection: close\r\n\r\n", received);
        return received.substr(0, received.find("\r\n"));
    }
};

TEST_F(ServiceUpdateFiles, ServesTheFolderWithTheHostFilledIn) {
    auto client = service->Http();
    auto info = client.Get("/download/webupdate/tessel.inf");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->status, 200);
    EXPECT_EQ(info->body, "#url1=http://127.0.0.1:" + std::to_string(service->App().HttpPort()) +
                              "/download/webupdate/a.dll\r\n");
    auto slow = client.Get("/download/webupdate/a.dll?slow=5");
    ASSERT_TRUE(slow);
    EXPECT_EQ(slow->body, std::string(5000, 'a'));
    for (const char* missing : {"/download/webupdate/b.dll", "/download/webupdate/..%2Ftessel.inf",
                                "/download/webupdate/", "/download/webupdate/%2e%2e"}) {
        auto result = client.Get(missing);
        ASSERT_TRUE(result) << missing;
        EXPECT_EQ(result->status, 404) << missing;
    }
}

TEST_F(ServiceUpdateFiles, DropClosesTheConnectionMidFile) {
    std::string received;
    EXPECT_EQ(Get("/download/webupdate/a.dll?drop=1000", received), "HTTP/1.1 200 OK");
    EXPECT_NE(received.find("Content-Length: 5000\r\n"), std::string::npos);
    EXPECT_EQ(received.size() - (received.find("\r\n\r\n") + 4), 1000u);
}

TEST_F(ServiceUpdateFiles, BadAnswersAreFramedAsAsked) {
    const struct {
        const char* query;
        std::string statusLine;
        std::vector<std::string> headers;  // each must be in the head
        const char* absent;                // must not be in the head
        size_t bodyBytes;                  // what follows the head
    } cases[] = {
        {"chunked-cut=1000", "HTTP/1.1 200 OK", {"Transfer-Encoding: chunked\r\n"}, "Content-Length", 1000},
        {"lengthless-cut=1000", "HTTP/1.0 200 OK", {}, "Content-Length", 1000},
        {"two-lengths=1000", "HTTP/1.1 200 OK", {"Content-Length: 1000\r\nContent-Length: 5000\r\n"}, "chunked", 5000},
        {"partial", "HTTP/1.1 206 Partial Content", {"Content-Range: bytes 0-2499/5000\r\n", "Content-Length: 2500\r\n"},
         "chunked", 2500},
        {"loop", "HTTP/1.1 302 Moved Temporarily", {"Location: http://h:1/download/webupdate/a.dll?loop\r\n"}, "chunked", 6},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        std::string received;
        EXPECT_EQ(Get(std::string("/download/webupdate/a.dll?") + c.query, received), c.statusLine);
        const size_t headEnd = received.find("\r\n\r\n");
        ASSERT_NE(headEnd, std::string::npos);
        const std::string head = received.substr(0, headEnd + 2);
        for (const std::string& header : c.headers) EXPECT_NE(head.find(header), std::string::npos) << head;
        EXPECT_EQ(head.find(c.absent), std::string::npos) << head;
        std::string body = received.substr(headEnd + 4);
        if (head.find("chunked") != std::string::npos) {
            // Chunk sizes and line ends around the data, and no closing zero-size chunk.
            EXPECT_EQ(body.find("\r\n0\r\n\r\n"), std::string::npos);
            std::string data;
            for (size_t at = 0; at < body.size();) {
                const size_t lineEnd = body.find("\r\n", at);
                const size_t size = std::stoul(body.substr(at, lineEnd - at), nullptr, 16);
                data += body.substr(lineEnd + 2, size);
                at = lineEnd + 2 + size + 2;
            }
            body = data;
        }
        EXPECT_EQ(body.size(), c.bodyBytes);
    }
}

}  // namespace
}  // namespace tessel::service
