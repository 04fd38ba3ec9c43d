#include "base/text_helpers.h"

#include <gtest/gtest.h>

namespace tessel {
namespace {

TEST(LastCharPosition, CountsFromOneAndFindsTheLastOccurrence) {
    EXPECT_EQ(LastCharPos('/', "a/b/c"), 4);
    EXPECT_EQ(LastCharPos('/', "abc"), 0);
    EXPECT_EQ(LastCharPos('/', ""), 0);
    EXPECT_EQ(LastCharPos('/', "/"), 1);
    EXPECT_EQ(LastCharPos('/', "/abc"), 1);
    EXPECT_EQ(LastCharPos('c', "abc"), 3);
    EXPECT_EQ(LastCharPos('\0', std::string_view("a\0b", 3)), 2);
    EXPECT_EQ(LastCharPos(u'/', u"http://host/path/file"), 17);
    EXPECT_EQ(LastCharPos(u'\u00e9', u"caf\u00e9"), 4);
    EXPECT_EQ(LastCharPos(u'/', u""), 0);
}

TEST(WideToAnsiText, UnitsUpToFFAreTheirOwnBytes) {
    EXPECT_EQ(WideToAnsi(u""), "");
    EXPECT_EQ(WideToAnsi(u"Meeting at 10"), "Meeting at 10");
    EXPECT_EQ(WideToAnsi(u"caf\u00e9"), "caf\xE9");
    // No byte stands for these: they turn into question marks, one per unit.
    EXPECT_EQ(WideToAnsi(u"5 \u20ac"), "5 ?");
    EXPECT_EQ(WideToAnsi(u"\U0001F600"), "??");
}

}  // namespace
}  // namespace tessel
