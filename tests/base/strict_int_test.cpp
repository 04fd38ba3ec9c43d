#include "base/strict_int.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace tessel {
namespace {

TEST(StrictIntTest, AcceptsSignedDecimalAndHexadecimal) {
    EXPECT_EQ(StrToInt("15"), 15);
    EXPECT_EQ(StrToInt("  -7"), -7);
    EXPECT_EQ(StrToInt("+3"), 3);
    EXPECT_EQ(StrToInt("$1F"), 31);
    EXPECT_EQ(StrToInt("0x10"), 16);
    EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
    EXPECT_EQ(StrToInt("2147483647"), INT32_MAX);
    EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(StrToInt(u"42"), 42);
}

TEST(StrictIntTest, RejectsAnythingElseWithTheRuntimeMessage) {
    for (const char* bad : {"", " ", "12 ", "1.5", "abc", "-", "$", "2147483648", "-2147483649", "$100000000", "1e3"}) {
        SCOPED_TRACE(bad);
        try {
            StrToInt(bad);
            ADD_FAILURE() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_EQ(std::string(e.what()), "'" + std::string(bad) + "' is not a valid integer value");
        }
    }
    int32_t value = 99;
    EXPECT_FALSE(TryStrToInt("x", value));
    EXPECT_EQ(value, 99);
}

TEST(StrictIntTest, WideMessageKeepsTheOriginalText) {
    try {
        StrToInt(u"\u00E9t\u00E9");
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'\xC3\xA9t\xC3\xA9' is not a valid integer value");
    }
}

}  // namespace
}  // namespace tessel
