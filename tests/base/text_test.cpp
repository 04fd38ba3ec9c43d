#include "base/text.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(TextTest, WidenAndNarrowKeepEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(char(b));
    const std::u16string wide = Widen(all);
    ASSERT_EQ(wide.size(), 256u);
    EXPECT_EQ(wide[0xE9], u'\u00E9');
    EXPECT_EQ(Narrow(wide), all);
}

TEST(TextTest, NarrowReplacesUnitsWithoutAByte) {
    EXPECT_EQ(Narrow(u"a\u20ACb"), "a?b");
}

TEST(TextTest, Utf8RoundTripIncludingSurrogatePairs) {
    const std::u16string text = u"Caf\u00E9 \u65E5\u672C \U0001F600";
    const std::string utf8 = Utf16ToUtf8(text);
    EXPECT_EQ(utf8, "Caf\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC \xF0\x9F\x98\x80");
    EXPECT_EQ(Utf8ToUtf16(utf8), text);
}

TEST(TextTest, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(Utf8ToUtf16("a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(Utf8ToUtf16("a\xC3"), u"a\uFFFD");             // truncated at the end
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD");      // overlong form
    EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // encoded surrogate
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");      // lone surrogate
}

TEST(TextTest, TrimRemovesControlCharactersAndBlanksOnly) {
    EXPECT_EQ(Trim("\r\n\t  a b \x01"), "a b");
    EXPECT_EQ(Trim(u"  \u00A0x "), u"\u00A0x");
    EXPECT_EQ(Trim("   "), "");
}

TEST(TextTest, CaseMappingTouchesOnlyAsciiLetters) {
    EXPECT_EQ(LowerAscii("gCal:Color\xC4"), "gcal:color\xC4");
    EXPECT_EQ(UpperAscii(u"entry\u00E4"), u"ENTRY\u00E4");
    EXPECT_TRUE(SameTextAscii("Window", "wINDOW"));
    EXPECT_FALSE(SameTextAscii(u"\u00C4", u"\u00E4"));
    EXPECT_FALSE(SameTextAscii("ab", "abc"));
}

TEST(TextTest, WithCrLfMakesLoneCarriageReturnsLineBreaksAndKeepsPairs) {
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
        EXPECT_EQ(WithCrLf(c.text), c.expected);
    }
}

}  // namespace
}  // namespace tessel
