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

}  // namespace
}  // namespace tessel::service
