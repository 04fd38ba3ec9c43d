// THttp's URL-part buffers: when they grow, how much the splitter is told it may write.
#include "calendar/http.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel {
namespace {

// Opens the buffer bookkeeping that Get does before it splits the URL.
class BufferedHttp : public THttp {
public:
    using THttp::AnnouncedComponentSize;
    using THttp::PrepareUrlBuffers;
    std::string Copied() { return UrlBuffer(kWholeUrl); }
};

std::string UrlOfLength(size_t length) {
    const std::string start = "http://127.0.0.1/";
    return start + std::string(length - start.size(), 'q');
}

// A URL exactly as long as the buffers leaves no room for the terminating zero.
TEST(HttpUrlBuffers, GrowOnlyWhenUrlAndTerminatorDoNotFit) {
    BufferedHttp http;
    http.PrepareUrlBuffers(UrlOfLength(1023));
    EXPECT_EQ(http.BufferSize, 1024);
    EXPECT_EQ(http.Copied(), UrlOfLength(1023));
    http.PrepareUrlBuffers(UrlOfLength(1024));
    EXPECT_EQ(http.BufferSize, 1025);
    EXPECT_EQ(http.Copied(), UrlOfLength(1024));
}

TEST(HttpUrlBuffers, LongUrlGrowsBuffersAndPartCapacityAndTheyStayGrown) {
    BufferedHttp http;
    http.PrepareUrlBuffers(UrlOfLength(1500));
    EXPECT_EQ(http.BufferSize, 1501);
    EXPECT_EQ(http.ComponentSize, 1501);
    EXPECT_EQ(http.AnnouncedComponentSize(), 1501u);
    EXPECT_EQ(http.Copied(), UrlOfLength(1500));

    http.PrepareUrlBuffers("http://127.0.0.1/short");
    EXPECT_EQ(http.BufferSize, 1501);
    EXPECT_EQ(http.Copied(), "http://127.0.0.1/short");
}

TEST(HttpUrlBuffers, AnnouncedCapacityNeverExceedsTheBuffers) {
    BufferedHttp http;
    http.ComponentSize = 1 << 20;
    http.PrepareUrlBuffers("http://127.0.0.1/");
    EXPECT_EQ(http.AnnouncedComponentSize(), 1024u);

    http.ComponentSize = 0;
    EXPECT_EQ(http.AnnouncedComponentSize(), 1u);
    http.ComponentSize = 200;
    EXPECT_EQ(http.AnnouncedComponentSize(), 200u);
}

TEST(HttpUrlBuffers, SizeShrunkByTheCallerIsMadeGoodOnTheNextUrl) {
    BufferedHttp http;
    http.PrepareUrlBuffers(UrlOfLength(1500));
    http.BufferSize = 0;
    http.PrepareUrlBuffers("http://127.0.0.1/x");
    EXPECT_EQ(http.BufferSize, 19);
    EXPECT_EQ(http.Copied(), "http://127.0.0.1/x");
    EXPECT_LE(http.AnnouncedComponentSize(), 19u);
}

}  // namespace
}  // namespace tessel
