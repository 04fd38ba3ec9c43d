// Malformed input: each error's type, exact message, and where it was found.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "xml/xdata_node.h"
#include "xml/xml_parser.h"

using namespace tessel;

namespace {

struct ParseFailure {
    const char* input;
    const char* message;
};

TxmlParserException ParseError(std::string_view input) {
    TxdataNode node;
    try {
        node.LoadFromBytes(input);
    } catch (const TxmlParserException& e) {
        return e;
    }
    ADD_FAILURE() << "no parser error for " << input;
    return TxmlParserException("", -1, -1);
}

TEST(XmlErrors, EachMalformedInputRaisesItsMessage) {
    const ParseFailure cases[] = {
        {"<a/x>", "Unexpected char"},
        {"<a x=\"1\"?x>", "Unexpected char"},
        {"<1a/>", "Name expected"},
        {"<>", "Name expected"},
        {"<a 1=\"x\"/>", "Bad attribute"},
        {"<a x/>", "Bad attribute"},
        {"<a x=\"open/>", "Bad attribute"},
        {"<a><![CDATX[x]]></a>", "Invalid data"},
        {"<!-x-->", "Invalid comment"},
        {"<!doctype x]>", "Invalid comment"},
        {"<a><!-- never closed</a>", "Invalid comment"},
        {"<a><![CDATA[never closed</a>", "Invalid comment"},
        {"<!DOCTYPE never closed><a/>", "Invalid comment"},
        {"<a>tail", "Invalid comment"},
        {"<a/>tail", "Invalid comment"},
        {"<?xmlx?><a/>", "Invalid XML code"},
        {"<?XML?><a/>", "Invalid XML code"},
        {"<a></a b>", "Unexpected token"},
        {"<a></>", "Unexpected token"},
        {"<!ENTITY x \"y\"><a/>", "Unexpected token"},
        {"<?xml version=\"1.0\"><a/>", "Unexpected token"},
        {"<a", "Unexpected token"},
        {"<a><?xml?></a>", "Unexpected element here!"},
        {"<a><!DOCTYPE x]></a>", "Unexpected element here!"},
        {"<a>x</b>", "End of element b, expected: a"},
        {"<a><b></B></a>", "End of element B, expected: b"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(ParseError(c.input).Message(), c.message);
    }
}

TEST(XmlErrors, LineIsTheCountOfCarriageReturnsAndColumnCountsFromTheLastOne) {
    const TxmlParserException first = ParseError("<a x='1' y>");
    EXPECT_EQ(first.Line(), 0);
    EXPECT_EQ(first.Column(), 11);  // the ">" where "=" was expected

    const TxmlParserException later = ParseError("<a>\r\n<b>\r\n  </c> </a>");
    EXPECT_EQ(later.Message(), "End of element c, expected: b");
    EXPECT_EQ(later.Line(), 2);
    EXPECT_EQ(later.Column(), 8);  // just after "</c>"
    EXPECT_STREQ(later.what(), "End of element c, expected: b (line 2, column 8)");

    // An error found on a CR counts the lines before it: the CR ends the line it stands on.
    const TxmlParserException atBreak = ParseError("<a>\r\n<b></c>\r\n");
    EXPECT_EQ(atBreak.Line(), 1);
    EXPECT_EQ(atBreak.Column(), 9);
}

TEST(XmlErrors, ParserErrorsAreGeneralErrors) {
    TxdataNode node;
    EXPECT_THROW(node.LoadFromText(u"<a></b>"), EError);
}

TEST(XmlErrors, ATreeKeepsWhatWasBuiltBeforeTheError) {
    TxdataNode node;
    EXPECT_THROW(node.LoadFromText(u"<a><b>1</b><c>2</c><d></e></a>"), TxmlParserException);
    EXPECT_EQ(node.Name(), u"a");
    EXPECT_EQ(node.ReadValue(u"b"), u"1");
    EXPECT_EQ(node.ReadValue(u"c"), u"2");
    EXPECT_NE(node.FindNode(u"d"), nullptr);
}

TEST(XmlErrors, BadReferencesRaiseThePlainLiteralError) {
    const std::pair<const char16_t*, const char*> cases[] = {
        {u"<a>&nbsp;</a>", "Invalid XML literal &nbsp"},
        {u"<a>&#65;</a>", "Invalid XML literal &#65"},
        {u"<a>x &NBSP; y</a>", "Invalid XML literal &nbsp"},
        {u"<a>a & b; c</a>", "Invalid XML literal & b"},
    };
    for (const auto& [input, message] : cases) {
        SCOPED_TRACE(message);
        TxdataNode node;
        try {
            node.LoadFromText(input);
            ADD_FAILURE() << "no error";
        } catch (const TxmlParserException&) {
            ADD_FAILURE() << "a literal error is not a syntax error";
        } catch (const EError& e) {
            EXPECT_STREQ(e.what(), message);
        }
    }
}

}  // namespace
