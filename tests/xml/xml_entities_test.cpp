#include <gtest/gtest.h>

#include "base/errors.h"
#include "xml/xdata_node.h"
#include "xml/xml_entities.h"

using namespace tessel;
using namespace tessel::xml_entities;

namespace {

TEST(XmlEntities, NamedReferencesDecodeInAnyLetterCase) {
    EXPECT_EQ(DecodeText(std::string_view("fish &amp; chips")), "fish & chips");
    EXPECT_EQ(DecodeText(std::string_view("fish &AMP; chips")), "fish & chips");
    EXPECT_EQ(DecodeText(std::string_view("&lt;&GT;&Quot;&apos;")), "<>\"'");
    EXPECT_EQ(DecodeText(std::u16string_view(u"\u20AC&amp;\u20AC")), u"\u20AC&\u20AC");
}

TEST(XmlEntities, HexadecimalDigitsAreReadInPairsOfOneByteEach) {
    EXPECT_EQ(DecodeText(std::string_view("&#x41;")), "A");
    EXPECT_EQ(DecodeText(std::string_view("&#X4a;")), "J");
    EXPECT_EQ(DecodeText(std::string_view("&#x4142;")), "AB");
    EXPECT_EQ(DecodeText(std::string_view("&#xC3A9;")), "\xC3\xA9");  // UTF-8 bytes stay bytes
    EXPECT_EQ(DecodeText(std::string_view("[&#x414;]")), "[A]");       // an odd last digit is dropped
    EXPECT_EQ(DecodeText(std::string_view("[&#x4G41;]")), "[]");       // conversion stops at a non-digit
    EXPECT_EQ(DecodeText(std::string_view("[&#x;]")), "[]");
    EXPECT_EQ(DecodeText(std::string_view("&#x00;")), std::string(1, '\0'));
}

TEST(XmlEntities, AnAmpersandWithoutSemicolonEndsTheText) {
    EXPECT_EQ(DecodeText(std::string_view("before & after")), "before ");
    EXPECT_EQ(DecodeText(std::string_view("&amp;x&")), "&x");
    TxdataNode node;
    node.LoadFromText(u"<a>R&D dept</a>");
    EXPECT_EQ(node.Text(), u"R");
}

TEST(XmlEntities, UnknownAndDecimalReferencesRaiseTheLiteralError) {
    for (const char* text : {"&nbsp;", "&#65;", "&;", "&#;", "& amp;"}) {
        SCOPED_TRACE(text);
        EXPECT_THROW(DecodeText(std::string_view(text)), EError);
    }
    try {
        DecodeText(std::u16string_view(u"x&Copy;"));
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "Invalid XML literal &copy");
    }
}

TEST(XmlEntities, EscapingCoversTheFiveMarkupCharacters) {
    std::string bytes;
    AppendEscaped(bytes, u"a\"b&c'd<e>f\u00E9\u20AC");
    EXPECT_EQ(bytes, "a&quot;b&amp;c&apos;d&lt;e&gt;f\xE9?");
    std::u16string wide;
    AppendEscaped(wide, u"<\u20AC>");
    EXPECT_EQ(wide, u"&lt;\u20AC&gt;");
    // What the writer escapes, the reader decodes back.
    const std::u16string text = u"if (a < b && c > \"d\") 'e'";
    std::u16string escaped;
    AppendEscaped(escaped, text);
    EXPECT_EQ(DecodeText(std::u16string_view(escaped)), text);
}

TEST(XmlEntities, EscapedQuotesAreRecognisedAtAnyDepthOfAmpersandEscaping) {
    EXPECT_TRUE(HoldsQuoteReference(std::string_view("&quot;")));
    EXPECT_TRUE(HoldsQuoteReference(std::string_view("x&amp;amp;quot;")));
    EXPECT_FALSE(HoldsQuoteReference(std::string_view("&amp;")));
    EXPECT_FALSE(HoldsQuoteReference(std::string_view("&quot")));
    EXPECT_FALSE(HoldsQuoteReference(std::string_view("quot;")));
    EXPECT_TRUE(NeedsQuoteEscape(std::string_view("say \"hi\"")));
    EXPECT_FALSE(NeedsQuoteEscape(std::string_view("a&b<c>'d'")));
    EXPECT_EQ(EscapeQuotedValue(std::string_view("a\"&b")), "a&quot;&amp;b");
    EXPECT_EQ(DecodeQuotedValue(std::string_view("a&quot;&amp;b&lt;")), "a\"&b&lt;");
}

}  // namespace
