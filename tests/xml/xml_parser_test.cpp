// The 8-bit tokenizer and the tree builder, as LoadFromText and LoadFromBytes drive them.
#include <gtest/gtest.h>

#include "base/errors.h"
#include "base/text.h"
#include "xml/xdata_document.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"
#include "xml/xml_parser.h"

using namespace tessel;

namespace {

class XmlParse : public ::testing::Test {
protected:
    TxdataNode root;
    void load(const char16_t* xml) { root.LoadFromText(xml); }
};

TEST_F(XmlParse, DeclarationByteOrderMarkAndBlankLinesBeforeTheTopElementAreSkipped) {
    root.LoadFromBytes("\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n\r\n  <feed a=\"1\">x</feed>");
    EXPECT_EQ(root.Name(), u"feed");
    EXPECT_EQ(root.Text(), u"x");
    EXPECT_EQ(root.ChildCount(), 1u);
    EXPECT_EQ(root.GetAttribute(u"a"), u"1");
}

TEST_F(XmlParse, EmptyOrBlankTextLeavesTheNodeUnchanged) {
    root.SetName(u"keep");
    root.AddAttribute(u"k", u"v");
    load(u"");
    load(u" \r\n\t ");
    EXPECT_EQ(root.Name(), u"keep");
    EXPECT_EQ(root.ChildCount(), 0u);
    EXPECT_EQ(root.GetAttribute(u"k"), u"v");
}

TEST_F(XmlParse, TheTopElementBecomesTheNodeItself) {
    load(uR"(<profile><window left="5"/></profile>)");
    EXPECT_EQ(root.Name(), u"profile");
    EXPECT_EQ(root.ReadValue(u"window/left"), u"5");
}

TEST_F(XmlParse, AnElementWithoutAttributesKeepsTheNodesAttributes) {
    root.AddAttribute(u"old", u"1");
    load(u"<a/>");
    EXPECT_EQ(root.GetAttribute(u"old"), u"1");
    load(u"<a new=\"2\"/>");
    EXPECT_EQ(root.GetAttribute(u"old"), u"");
    EXPECT_EQ(root.GetAttribute(u"new"), u"2");
}

TEST_F(XmlParse, LoadingAgainAppendsChildrenSoFeedsMerge) {
    load(uR"(<feed><entry><id>1</id></entry></feed>)");
    load(uR"(<feed2><entry><id>2</id></entry></feed2>)");
    EXPECT_EQ(root.Name(), u"feed2");
    auto entries = root.SelectNodes(u"entry");
    ASSERT_EQ(entries->Count(), 2u);
    EXPECT_EQ(entries->Node(1)->ReadValue(u"id"), u"2");
}

TEST_F(XmlParse, ASecondTopLevelElementIsReadIntoTheSameNode) {
    load(u"<a x=\"1\"><b/></a><c><d/></c>");
    EXPECT_EQ(root.Name(), u"c");
    EXPECT_EQ(root.ChildCount(), 2u);
    EXPECT_EQ(root.GetAttribute(u"x"), u"1");
}

TEST_F(XmlParse, TopLevelCommentsBecomePiecesAndAStrayEndTagStops) {
    load(u"<!-- head --><a/></x><b/>");
    EXPECT_EQ(root.Name(), u"a");
    ASSERT_EQ(root.ChildCount(), 1u);
    EXPECT_EQ(root.Child(0)->Kind(), kXdataComment);
    EXPECT_EQ(root.Child(0)->StoredText(), u" head ");
}

TEST_F(XmlParse, ACommentLosesAWordThatFollowsTheDashesDirectly) {
    load(u"<a><!--hello world--><!-- spaced --><!----></a>");
    ASSERT_EQ(root.ChildCount(), 3u);
    EXPECT_EQ(root.Child(0)->StoredText(), u" world");
    EXPECT_EQ(root.Child(1)->StoredText(), u" spaced ");
    EXPECT_EQ(root.Child(2)->StoredText(), u"");
}

TEST_F(XmlParse, TextKeepsTrailingBlanksButNotLeadingOnes) {
    load(u"<a>  x y  <b/></a>");
    EXPECT_EQ(root.Text(), u"x y  ");
}

// Every byte up to 32 is blank, every other one is not, whatever the length of the run before
// the text and wherever it ends in the sixteen-byte steps of the scan.
TEST(XmlParser, LeadingBlankRunsOfEveryLengthAreSkipped) {
    const std::string blanks("\x00\x01\t\n\r\x1F ", 7);
    for (size_t run = 0; run <= 40; ++run) {
        for (const char first : {'t', '!', '\x21', '\x80', '\xFF'}) {
            std::string text;
            for (size_t i = 0; i < run; ++i) text += blanks[(i + run) % blanks.size()];
            text += std::string(1, first) + "x";
            SCOPED_TRACE(std::to_string(run) + " blanks before byte " + std::to_string(uint8_t(first)));
            TxdataNode node;
            node.LoadFromBytes("<a>" + text + "</a>");
            ASSERT_EQ(node.ChildCount(), 1u);
            EXPECT_EQ(node.Child(0)->Stored().Bytes(), std::string(1, first) + "x");
        }
    }
}

TEST_F(XmlParse, CDataKeepsMarkupAndReferencesLiterally) {
    load(u"<a><![CDATA[<b>&amp;]]></a>");
    EXPECT_EQ(root.Text(), u"<b>&amp;");
    EXPECT_EQ(root.Kind(), kXdataCData);
}

TEST_F(XmlParse, TextEndingBeforeTheEndTagKeepsWhatWasRead) {
    load(u"<a><b>x</b><c>y<d/>z </c>");
    EXPECT_EQ(root.ReadValue(u"b"), u"x");
    EXPECT_EQ(root.ReadValue(u"c"), u"yz ");
}

TEST_F(XmlParse, AttributeQuotesAndBlanks) {
    load(uR"(<a dq="x" sq='alternate' spaced= "y" un=abc9 empty="" before ="z"/>)");
    EXPECT_EQ(root.GetAttribute(u"dq"), u"x");
    EXPECT_EQ(root.GetAttribute(u"sq"), u"'alternate'");  // single quotes stay
    EXPECT_EQ(root.GetAttribute(u"spaced"), u"y");        // blanks after "=" are trimmed
    EXPECT_EQ(root.GetAttribute(u"un"), u"abc9");
    EXPECT_EQ(root.GetAttribute(u"empty"), u"");
    EXPECT_EQ(root.GetAttribute(u"before"), u"");         // the blank became part of the name
    EXPECT_EQ(root.GetAttribute(u"before "), u"z");
    EXPECT_EQ(root.AttributeEntry(1), u"sq=\"'alternate'\"");
}

TEST_F(XmlParse, AttributeValuesAreNotEntityDecoded) {
    load(uR"(<link href="http://h/?a=1&amp;b=2" t="&lt;"/>)");
    EXPECT_EQ(root.GetAttribute(u"href"), u"http://h/?a=1&amp;b=2");
    EXPECT_EQ(root.GetAttribute(u"t"), u"&lt;");
}

TEST_F(XmlParse, NamesKeepPrefixesAndCase) {
    load(uR"(<entry><gd:when startTime="2011-01-02"/><Title>T</Title></entry>)");
    EXPECT_EQ(root.ReadValue(u"gd:when/startTime"), u"2011-01-02");
    EXPECT_EQ(static_cast<TxdataNode*>(root.Child(1))->Name(), u"Title");
}

TEST_F(XmlParse, Utf8BytesSurviveTheEightBitPath) {
    const std::string bytes = "<a t=\"caf\xC3\xA9\">\xE2\x82\xAC \xF0\x9F\x93\x85</a>";
    root.LoadFromBytes(bytes);
    EXPECT_EQ(Narrow(root.Text()), "\xE2\x82\xAC \xF0\x9F\x93\x85");
    EXPECT_EQ(Narrow(root.GetAttribute(u"t")), "caf\xC3\xA9");
    TxdataNode again;
    again.LoadFromText(Widen(bytes));
    EXPECT_EQ(again.Text(), root.Text());
}

TEST_F(XmlParse, OnlyLatinLetterBytesBelongToNames) {
    root.LoadFromBytes("<\xC9l\xE9ment>x</\xC9l\xE9ment>");
    EXPECT_EQ(Narrow(root.Name()), "\xC9l\xE9ment");
    // In UTF-8, the second byte of an accented letter is no name character.
    EXPECT_THROW(root.LoadFromBytes("<\xC3\xA9/>"), TxmlParserException);
}

TEST_F(XmlParse, IncludesAreNotFollowedInText) {
    load(uR"(<a><xi:include href="/etc/passwd" parse="xml"/><b/></a>)");
    ASSERT_EQ(root.ChildCount(), 1u);
    EXPECT_NE(root.FindNode(u"b"), nullptr);
}

TEST(XmlParser, DeliversItemsAndAttributes) {
    TxmlParser parser("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY e \"v\">]><a k='v' n = 1>t<![CDATA[c]]></a>");
    ASSERT_TRUE(parser.NextItem());
    EXPECT_EQ(parser.ItemType(), TxmlItem::Declaration);
    ASSERT_TRUE(parser.NextItem());
    EXPECT_EQ(parser.ItemType(), TxmlItem::Doctype);
    EXPECT_EQ(parser.TokenText(), u" x [<!ENTITY e \"v\">");
    ASSERT_TRUE(parser.NextItem());
    EXPECT_EQ(parser.ItemType(), TxmlItem::ElementStart);
    EXPECT_EQ(parser.ItemName(), u"a");
    EXPECT_FALSE(parser.EmptyElement());
    ASSERT_TRUE(parser.ResetAttributes());
    std::u16string name, value;
    ASSERT_TRUE(parser.NextAttribute(name, value));
    EXPECT_EQ(name, u"k");
    EXPECT_EQ(value, u"'v'");
    ASSERT_TRUE(parser.NextAttribute(name, value));
    EXPECT_EQ(name, u"n ");
    EXPECT_EQ(value, u"1");
    EXPECT_FALSE(parser.NextAttribute(name, value));
    ASSERT_TRUE(parser.NextItem());
    EXPECT_EQ(parser.ItemType(), TxmlItem::Text);
    EXPECT_EQ(parser.TokenText(), u"t");
    ASSERT_TRUE(parser.NextItem());
    EXPECT_EQ(parser.ItemType(), TxmlItem::CData);
    EXPECT_EQ(parser.TokenText(), u"c");
    ASSERT_TRUE(parser.NextItem());
    EXPECT_EQ(parser.ItemType(), TxmlItem::ElementEnd);
    EXPECT_FALSE(parser.NextItem());
}

TEST(XmlParser, ADocumentKeepsItsDoctype) {
    TxmlParser parser("<!DOCTYPE theme [ ]><theme/>");
    TxdataDocument document;
    parser.ReadInto(document);
    EXPECT_EQ(document.Doctype(), u" theme [ ");
    EXPECT_EQ(document.Name(), u"theme");
    TxdataNode plain;
    TxmlParser second("<!DOCTYPE theme [ ]><theme/>");
    second.ReadInto(plain);
    EXPECT_EQ(plain.ChildCount(), 0u);
}

}  // namespace
