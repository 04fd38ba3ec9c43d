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

TEST(MessageText, LongRunsAreShortenedAndBrokenAndTheLinesBounded) {
    const std::u16string address = u"http://h/" + std::u16string(100 * 1024, u'a') + u"/tessel.exe";
    const struct {
        const char* what;
        std::u16string text;
        std::u16string expected;  // empty: checked for its bounds only
    } cases[] = {
        {"short", u"File http://h/a.dll not found.\r\rSkip?", u"File http://h/a.dll not found.\r\rSkip?"},
        {"80 characters", std::u16string(80, u'x'), std::u16string(80, u'x')},
        {"81 characters", std::u16string(81, u'x'), std::u16string(80, u'x') + u"\n" + u"x"},
        {"a 100 KB address", u"File " + address + u" not found or inaccessible.", u""},
        {"many lines", [] {
             std::u16string t;
             for (int i = 0; i < 100; ++i) t += u"line\r\n";
             return t;
         }(), u""},
        {"one long paragraph", [] {
             std::u16string t;
             for (int i = 0; i < 2000; ++i) t += u"word ";
             return t;
         }(), u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::u16string fitted = FitMessageText(c.text);
        if (!c.expected.empty()) {
            EXPECT_EQ(fitted, c.expected);
            continue;
        }
        size_t lines = 1, column = 0, widest = 0;
        for (size_t i = 0; i < fitted.size(); ++i) {
            if (fitted[i] == u'\r' || fitted[i] == u'\n') {
                if (fitted[i] == u'\r' && i + 1 < fitted.size() && fitted[i + 1] == u'\n') ++i;
                ++lines;
                column = 0;
            } else if (fitted[i] != u' ' && ++column > widest) {
                widest = column;
            } else if (fitted[i] == u' ') {
                column = 0;
            }
        }
        EXPECT_LE(widest, kMessageLineChars);
        EXPECT_LE(lines, kMessageMaxLines);
        EXPECT_LE(fitted.size(), kMessageMaxLines * (kMessageLineChars + 2) + 3);
    }
    // The address keeps its beginning and its end, where the file's name is.
    const std::u16string fitted = FitMessageText(u"File " + address + u" not found.");
    EXPECT_EQ(fitted.rfind(u"File http://h/aaaa", 0), 0u);
    EXPECT_NE(fitted.find(u"..."), std::u16string::npos);
    EXPECT_NE(fitted.find(u"/tessel.exe not found."), std::u16string::npos);
    // A surrogate pair is never split at a break.
    const std::u16string pairs = [] {
        std::u16string t = u"x";
        for (int i = 0; i < 60; ++i) t += u"\U0001F600";
        return t;
    }();
    const std::u16string brokenPairs = FitMessageText(pairs);
    for (size_t i = 0; i + 1 < brokenPairs.size(); ++i) {
        if (brokenPairs[i] >= 0xD800 && brokenPairs[i] <= 0xDBFF) {
            EXPECT_TRUE(brokenPairs[i + 1] >= 0xDC00) << i;
        }
    }
}

}  // namespace
}  // namespace tessel
