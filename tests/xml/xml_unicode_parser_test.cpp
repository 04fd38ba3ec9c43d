// The UTF-16 tokenizer: the same grammar with XML 1.0 letter classes, and wide-mode trees.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "xml/xdata_document.h"
#include "xml/xml_chars.h"
#include "xml/xml_parser.h"

using namespace tessel;

namespace {

std::unique_ptr<TxdataDocument> ParseWide(const std::u16string& text) {
    auto document = std::make_unique<TxdataDocument>();
    TxmlUnicodeParser parser(text);
    parser.ReadInto(*document);
    return document;
}

TEST(XmlUnicodeParse, BuildsAWideModeTreeWithCharactersBeyondOneByte) {
    auto document = ParseWide(u"<\u03B1\u03B2 \u540D=\"\u20AC\"><\u65E5\u672C>\u00E9\u4E2D</\u65E5\u672C></\u03B1\u03B2>");
    EXPECT_TRUE(document->WideMode());
    EXPECT_EQ(document->Name(), u"\u03B1\u03B2");
    EXPECT_EQ(document->GetAttribute(u"\u540D"), u"\u20AC");
    EXPECT_EQ(document->ReadValue(u"\u65E5\u672C"), u"\u00E9\u4E2D");
    EXPECT_TRUE(document->FindNode(u"\u65E5\u672C")->WideMode());
}

TEST(XmlUnicodeParse, EitherQuoteKindIsRemovedAndNamesMatchExactly) {
    auto document = ParseWide(u"<a dq=\"x\" sq='y' Rel = 'alt' un=abc/>");
    EXPECT_EQ(document->GetAttribute(u"dq"), u"x");
    EXPECT_EQ(document->GetAttribute(u"sq"), u"y");
    EXPECT_EQ(document->GetAttribute(u"Rel "), u"alt");
    EXPECT_EQ(document->GetAttribute(u"rel "), u"");
    EXPECT_EQ(document->GetAttribute(u"un"), u"abc");
}

TEST(XmlUnicodeParse, AnAttributeWithoutAValueIsRefused) {
    for (const char16_t* text : {u"<a x= />", u"<a x=12/>"}) {
        try {
            ParseWide(text);
            ADD_FAILURE() << "no error";
        } catch (const TxmlParserException&) {
            ADD_FAILURE() << "a format error is not a syntax error";
        } catch (const EError& e) {
            EXPECT_STREQ(e.what(), "Invalid attribute format");
        }
    }
}

TEST(XmlUnicodeParse, NamesFollowTheXmlLetterClasses) {
    auto document = ParseWide(u"<e\u0301\u00B7x-1.:_/>");  // combining mark, extender, digit
    EXPECT_EQ(document->Name(), u"e\u0301\u00B7x-1.:_");
    EXPECT_THROW(ParseWide(u"<\u0301e/>"), TxmlParserException);  // a combining mark starts nothing
    EXPECT_THROW(ParseWide(u"<1a/>"), TxmlParserException);
    EXPECT_THROW(ParseWide(u"<\u00D7/>"), TxmlParserException);  // the multiplication sign is no letter
}

TEST(XmlUnicodeParse, OnlyFourCharactersAreBlanks) {
    auto document = ParseWide(u"<a>\t\r\n \u00A0x</a>");
    EXPECT_EQ(document->Text(), u"\u00A0x");
    try {
        ParseWide(u"<a>\u0001</a>");  // not skipped as a blank, yet blank once trimmed
        ADD_FAILURE() << "no error";
    } catch (const TxmlParserException& e) {
        EXPECT_EQ(e.Message(), "Unexpected element here!");
    }
    TxdataNode narrow;
    narrow.LoadFromText(u"<a>\u0001</a>");  // the 8-bit tokenizer skips every byte up to 32
    EXPECT_EQ(narrow.ChildCount(), 0u);
}

TEST(XmlUnicodeParse, ReferencesDecodeAndHexDigitsPairIntoBytes) {
    auto document = ParseWide(u"<a>&lt;&#x41;&#x20AC;&#x4;</a>");
    EXPECT_EQ(document->Text(), u"<A \u00AC");
}

TEST(XmlUnicodeParse, ErrorsCarryLineAndColumnInCodeUnits) {
    try {
        ParseWide(u"<\u03B1>\r\n\u00E9\u00E9</\u03B2>!");
        FAIL() << "no error";
    } catch (const TxmlParserException& e) {
        EXPECT_EQ(e.Message(), "End of element ?, expected: ?");  // names narrowed to bytes
        EXPECT_EQ(e.Line(), 1);
        EXPECT_EQ(e.Column(), 8);
    }
}

TEST(XmlChars, AppendixBClassesAtTheirEdges) {
    using namespace xml_chars;
    EXPECT_TRUE(IsBaseChar(u'A'));
    EXPECT_FALSE(IsBaseChar(u'\u00D7'));
    EXPECT_TRUE(IsBaseChar(u'\u0386'));
    EXPECT_FALSE(IsBaseChar(u'\u0387'));
    EXPECT_TRUE(IsBaseChar(u'\uAC00'));
    EXPECT_TRUE(IsBaseChar(u'\uD7A3'));
    EXPECT_FALSE(IsBaseChar(u'\uD7A4'));
    EXPECT_TRUE(IsIdeographic(u'\u4E00'));
    EXPECT_TRUE(IsIdeographic(u'\u3007'));
    EXPECT_FALSE(IsIdeographic(u'\u3006'));
    EXPECT_TRUE(IsDigit(u'\u0660'));
    EXPECT_FALSE(IsDigit(u'\u066A'));
    EXPECT_TRUE(IsCombiningChar(u'\u0300'));
    EXPECT_TRUE(IsCombiningChar(u'\u3099'));
    EXPECT_TRUE(IsExtender(u'\u00B7'));
    EXPECT_TRUE(IsExtender(u'\u3005'));
    EXPECT_FALSE(IsExtender(u'\u00B8'));
    EXPECT_EQ(WideClass(u'\u4E00') & kNameStart, kNameStart);
    EXPECT_EQ(WideClass(u'\u0300') & (kNameStart | kNameChar), kNameChar);
    EXPECT_EQ(WideClass(u'\u00A0'), 0);
}

}  // namespace
