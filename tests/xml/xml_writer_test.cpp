#include <gtest/gtest.h>

#include "base/file_io.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

using namespace tessel;

namespace {

std::vector<std::string> Written(const char16_t* xml) {
    TxdataNode root;
    root.LoadFromText(xml);
    std::vector<std::string> lines{"left over"};
    root.SaveToLines(lines);
    return lines;
}

using Lines = std::vector<std::string>;

TEST(XmlWriter, AnElementWithoutChildrenIsOneLine) {
    EXPECT_EQ(Written(u"<window left=\"5\" top=\"3\"/>"), Lines{"<window left=\"5\" top=\"3\"/>"});
}

TEST(XmlWriter, AnElementHoldingOnlyTextIsThreeLines) {
    EXPECT_EQ(Written(u"<a>x &amp; y</a>"), (Lines{"<a>", "  x &amp; y", "</a>"}));
}

TEST(XmlWriter, EachLevelIndentsEightMoreSpacesAndTextTwoMore) {
    EXPECT_EQ(Written(u"<a><b><c>t</c></b><d/></a>"),
              (Lines{"<a>", "        <b>", "                <c>", "                  t", "                </c>",
                     "        </b>", "        <d/>", "</a>"}));
}

TEST(XmlWriter, MixedContentBreaksAroundChildElements) {
    EXPECT_EQ(Written(u"<a>x<b/>y<![CDATA[<z>]]><!-- c --></a>"),
              (Lines{"<a>", "  x", "        <b/>", "  y<![CDATA[<z>]]><!-- c -->", "</a>"}));
}

TEST(XmlWriter, ACommentStartingWithAnAngleIsWrittenSoThatItReadsBack) {
    // "<!--word>..." stores ">..." (the word is lost); written straight after the dashes, the
    // comment would close at once and "<b>" would become markup.
    const Lines lines = Written(u"<a><!--w><b>--></a>");
    EXPECT_EQ(lines, (Lines{"<a>", "  <!-- ><b>-->", "</a>"}));
    TxdataNode again;
    again.LoadFromBytes(JoinLines(lines));
    ASSERT_EQ(again.ChildCount(), 1u);
    EXPECT_EQ(again.Child(0)->Kind(), kXdataComment);
    EXPECT_EQ(again.Child(0)->StoredText(), u" ><b>");
    EXPECT_EQ(TxdataValue(u">x", kXdataComment).WrittenForm(), u"<!-- >x-->");
}

TEST(XmlWriter, TextPiecesAreEscapedAndLineBreaksStayInside) {
    TxdataNode root;
    root.SetName(u"a");
    root.SetText(u"1\r\n\"2\" <'3'>");
    Lines lines;
    root.SaveToLines(lines);
    EXPECT_EQ(lines, (Lines{"<a>", "  1\r\n&quot;2&quot; &lt;&apos;3&apos;&gt;", "</a>"}));
}

TEST(XmlWriter, AttributesAreWrittenAsStored) {
    EXPECT_EQ(Written(uR"(<a sq='alt' before ="x" href="h?a=1&amp;b=2"/>)"),
              Lines{"<a sq=\"'alt'\" before =\"x\" href=\"h?a=1&amp;b=2\"/>"});
}

TEST(XmlWriter, WideCharactersWithoutAByteAreWrittenAsQuestionMarks) {
    TxdataNode root;
    root.SetName(u"a");
    root.SetText(u"\u00E9\u20AC");
    Lines lines;
    root.SaveToLines(lines);
    EXPECT_EQ(lines[1], "  \xE9?");
}

TEST(XmlWriter, WrittenTreeLoadsBackWithTheSameElementsAndAttributes) {
    const char16_t* source =
        uR"(<Account><user username="me@example.org" pass="s3cr3t"/><Calendars><entry id="a"/><entry id="b"/></Calendars><note>hi</note></Account>)";
    TxdataNode first;
    first.LoadFromText(source);
    Lines lines;
    first.SaveToLines(lines);

    TxdataNode second;
    second.LoadFromBytes(JoinLines(lines));
    EXPECT_EQ(second.Name(), u"Account");
    EXPECT_EQ(second.ReadValue(u"user/username"), u"me@example.org");
    EXPECT_EQ(second.ReadValue(u"user/pass"), u"s3cr3t");
    auto entries = second.SelectNodes(u"Calendars/entry");
    ASSERT_EQ(entries->Count(), 2u);
    EXPECT_EQ(entries->Node(1)->GetAttribute(u"id"), u"b");
    // Text gains the line break and indentation before its closing tag.
    EXPECT_EQ(second.ReadValue(u"note"), u"hi\r\n        ");

    Lines again;
    second.SaveToLines(again);
    TxdataNode third;
    third.LoadFromBytes(JoinLines(again));
    EXPECT_EQ(third.ReadValue(u"note"), u"hi\r\n        \r\n        ");
    EXPECT_EQ(third.XmlText().size(), second.XmlText().size() + 10);
}

TEST(XmlWriter, ARootWithoutNameOrChildrenIsStillALine) {
    TxdataNode root;
    Lines lines{"x", "y"};
    root.SaveToLines(lines);
    EXPECT_EQ(lines, Lines{"</>"});
}

}  // namespace
