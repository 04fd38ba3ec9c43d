#include "base/one_line.h"

#include <gtest/gtest.h>

#include <string>

namespace tessel {
namespace {

TEST(OneLine, FoldsLinesAndCutsOnlyBetweenCharacters) {
    struct Case {
        const char* name;
        std::string text;
        size_t maxBytes;
        std::string expected;
    };
    const Case cases[] = {
        {"lines", "550 No such file.\r\n550 Try again.\r\n", 100, "550 No such file. 550 Try again."},
        {"controls and blanks at the ends", "\t\x01 spaced \x7F\x02 out \r\n", 100, "spaced out"},
        {"nothing but controls", "\r\n\r\n\x1B", 100, ""},
        {"cut at the limit", "abcdefgh", 6, "abcdef..."},
        // "x" then U+00E9 (2 bytes) then U+65E5 (3 bytes): a cut at 2 or 4 would split one.
        {"cut inside a two-byte character", "x\xC3\xA9\xE6\x97\xA5z", 2, "x..."},
        {"cut inside a three-byte character", "x\xC3\xA9\xE6\x97\xA5z", 4, "x\xC3\xA9..."},
        {"blank before the cut", "ab cd", 3, "ab..."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(OneLine(c.text, c.maxBytes), c.expected);
    }
}

}  // namespace
}  // namespace tessel
