#include "base/colors.h"

#include <gtest/gtest.h>

#include "base/errors.h"

namespace tessel {
namespace {

TEST(ColorText, PairsAreRedGreenBlueWithRedInTheLowByte) {
    const struct {
        const char* text;
        TColor color;
    } cases[] = {
        {"#000000", 0},           {"$000000", 0},         {"000000", 0},          {"00FF00", 0x00FF00},
        {"FF8000", 0x0080FF},     {"#FF8000", 0x0080FF},  {"ff8000", 0x0080FF},   {"0000FF", 0xFF0000},
        {"12345678", 0x563412},   {"123456", 0x563412},   {"FFFFFF", 0xFFFFFF},   {"#abcdef", 0xEFCDAB},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseColor(c.text), c.color);
    }
}

TEST(ColorText, ShortTextIsWhite) {
    for (const char* text : {"", "F", "FFF", "#0000", "12345"}) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseColor(text), 0xFFFFFFu);
    }
}

TEST(ColorText, PairThatIsNotHexadecimalNamesItselfInTheError) {
    const struct {
        const char* text;
        const char* message;
    } cases[] = {
        {"zz0000", "'$zz' is not a valid integer value"},
        {"#12zz56", "'$zz' is not a valid integer value"},
        {"0000 1", "'$ 1' is not a valid integer value"},
        // Only a text of exactly seven characters has its prefix dropped.
        {"#FF8000x", "'$#F' is not a valid integer value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        try {
            ParseColor(c.text);
            FAIL() << "no error";
        } catch (const EConvertError& e) {
            EXPECT_STREQ(e.what(), c.message);
        }
    }
}

TEST(ShadeOf, ScalesEachChannelAndKeepsTheHue) {
    EXPECT_EQ(ShadeOf(0xC2783B, 50), 0x613C1Du);
    EXPECT_EQ(ShadeOf(0xFFFFFF, 100), 0xFFFFFFu);
    EXPECT_EQ(ShadeOf(0xFFFFFF, 0), 0u);
    EXPECT_EQ(ShadeOf(0x0A0B0C, 250), 0x0A0B0Cu);  // never lighter
}

TEST(LightColor, WeighsGreenMostAndRedMoreThanBlue) {
    EXPECT_TRUE(IsLightColor(0xFFFFFF));   // 5*255 + 10*255 + 3*255 = 4590
    EXPECT_FALSE(IsLightColor(0x808080));  // 18*128 = 2304
    EXPECT_TRUE(IsLightColor(0x00FFFF));   // yellow: 5*255 + 10*255 = 3825
    EXPECT_FALSE(IsLightColor(0));
    // Red 100, green 255, blue 50 weigh exactly 3200, which is not above the bound; blue 51 is.
    EXPECT_FALSE(IsLightColor(0x32FF64));
    EXPECT_TRUE(IsLightColor(0x33FF64));
    // Red 255 and green 200 pass (3275), blue 255 and green 200 do not (2765): red is the low byte.
    EXPECT_TRUE(IsLightColor(0x00C8FF));
    EXPECT_FALSE(IsLightColor(0xFFC800));
}

}  // namespace
}  // namespace tessel
