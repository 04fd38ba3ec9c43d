// What only the WinINet half shows: the URL splitter's part capacity, and WinINet's own words for
// a request that failed. The cases shared with the native build are in http_loopback_test.cpp,
// which this build runs under Wine as well.
#include "calendar/http.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <string>

#include "base/errors.h"
#include "base/win32_system_error.h"
#include "support/loopback_service.h"

namespace tessel {
namespace {

class Win32HttpLoopback : public ::testing::Test {
protected:
    testing::LoopbackService service = testing::FindLoopbackService();
    THttp http;

    void SetUp() override { ASSERT_EQ(service.problem, ""); }
};

// The splitter refuses a part longer than the capacity it is told; the request is then not sent
// with whatever the buffers held from the URL before.
TEST_F(Win32HttpLoopback, PartLongerThanAnnouncedCapacityFailsWithoutSending) {
    ASSERT_TRUE(http.Get(service.HttpUrl("/test/status/200")));
    http.ComponentSize = 16;
    EXPECT_FALSE(http.Get(service.HttpUrl("/test/echo?long=" + std::string(40, 'x'))));
    EXPECT_EQ(http.StatusCode, 0);
    EXPECT_EQ(http.Response, "");

    http.ComponentSize = 1024;
    ASSERT_TRUE(http.Get(service.HttpUrl("/test/echo?long=" + std::string(40, 'x'))));
    EXPECT_EQ(http.Response.rfind("GET /test/echo?long=" + std::string(40, 'x') + "\r\n", 0), 0u);
}

// A long URL grows the part capacity with the buffers: a 1,400-byte path alone would not fit
// the initial 1024.
TEST_F(Win32HttpLoopback, LongPathFitsTheGrownPartCapacity) {
    const std::string path = "/test/echo/" + std::string(1400, 'p');
    EXPECT_FALSE(http.Get(service.HttpUrl(path)));
    EXPECT_EQ(http.StatusCode, 404);
    EXPECT_GE(http.ComponentSize, static_cast<int32_t>(path.size() + 1));
}

// Nothing listens on port 1: the send fails, and besides the conversion error the caller relies
// on, the transport keeps WinINet's own words for why.
TEST(Win32HttpFailure, RefusedConnectionKeepsWinInetsText) {
    THttp http;
    try {
        http.Get("http://127.0.0.1:1/feeds");
        ADD_FAILURE() << "no error raised";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }
    EXPECT_EQ(http.ErrorText, SystemErrorText(ERROR_INTERNET_CANNOT_CONNECT));
}

}  // namespace
}  // namespace tessel
