#include "app/status_text.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(StatusText, LoneCarriageReturnsBecomeLineBreaksAndPairsStay) {
    struct Case {
        std::u16string text, expected;
    };
    const Case cases[] = {
        {u"", u""},
        {u"close", u"close"},
        {u"Gmail Authenticate failed!\rUsername", u"Gmail Authenticate failed!\r\nUsername"},
        {u"a\r\nb", u"a\r\nb"},
        {u"a\r", u"a\r\n"},
        {u"\r\r", u"\r\n\r\n"},
        {u"a\n\rb", u"a\n\r\nb"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.text.size() << " units");
        EXPECT_EQ(WithLineBreaks(c.text), c.expected);
    }
}

}  // namespace
}  // namespace tessel
