// What only the WinINet half could get wrong: the library keeps credentials, cookies and
// certificate decisions for a server across requests. None of them may reach a later request
// that was not given them. The cases shared with the native build are in http_loopback_test.cpp,
// which this build runs under Wine as well.
#include "calendar/http.h"

#include <gtest/gtest.h>

#include <string>

#include "support/loopback_service.h"

namespace tessel {
namespace {

class Win32HttpLoopback : public ::testing::Test {
protected:
    testing::LoopbackService service = testing::FindLoopbackService();
    THttp http;

    void SetUp() override { ASSERT_EQ(service.problem, ""); }
};

TEST_F(Win32HttpLoopback, NothingTheLibraryKeepsForAServerReachesTheNextRequest) {
    const std::string server = "http://localhost:" + std::to_string(service.httpPort);
    THttpRequest basic{.Url = server + "/test/basic", .User = "someone", .Password = "pa55"};
    ASSERT_EQ(http.Send(basic).Body, "someone:pa55");

    const THttpResponse echo = http.Send({.Url = server + "/test/echo"});
    ASSERT_TRUE(echo.Ok()) << echo.ErrorText;
    EXPECT_EQ(echo.Body.find("Authorization"), std::string::npos) << echo.Body;
    EXPECT_EQ(echo.Body.find("Cookie"), std::string::npos) << echo.Body;
    // Asked for once: the library may add the header of its own accord too.
    const size_t asked = echo.Body.find("Accept-Encoding:");
    ASSERT_NE(asked, std::string::npos) << echo.Body;
    EXPECT_EQ(echo.Body.find("Accept-Encoding:", asked + 1), std::string::npos) << echo.Body;
    EXPECT_EQ(http.Send({.Url = server + "/test/basic"}).Status, 401);

    // A pinned certificate taken for this server is not taken for a request without the pin.
    const std::string secure = service.HttpsUrl("/test/echo");
    ASSERT_TRUE(http.Send({.Url = secure, .PinnedCertificate = service.certificate}).Ok());
    EXPECT_EQ(http.Send({.Url = secure}).Failure, THttpFailure::Certificate);
}

}  // namespace
}  // namespace tessel
