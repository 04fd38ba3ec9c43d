#include <gtest/gtest.h>

#include "base/errors.h"
#include "xml/xdata_document.h"
#include "xml/xdata_node.h"

using namespace tessel;

namespace {

TEST(XdataNode, CreateGivesAnEmptyUnnamedNode) {
    auto node = TxdataNode::Create();
    EXPECT_EQ(node->Name(), u"");
    EXPECT_EQ(node->Kind(), kXdataParsedText);
    EXPECT_EQ(node->ChildCount(), 0u);
    EXPECT_EQ(node->AttributeCount(), 0u);
    EXPECT_EQ(node->Parent(), nullptr);
    EXPECT_EQ(TxdataNode::CreateNamed(u"entry")->Name(), u"entry");
}

TEST(XdataNode, TextJoinsPiecesExceptCommentsAndSkipsChildElements) {
    TxdataNode root;
    root.LoadFromText(u"<a>one<!-- c -->two<b>three</b></a>");
    EXPECT_EQ(root.Text(), u"onetwo");
    EXPECT_EQ(root.RawText(), u"one c two");
    EXPECT_EQ(root.Kind(), kXdataElements);
    EXPECT_EQ(root.ChildCount(), 4u);
}

TEST(XdataNode, KindFollowsTheContent) {
    TxdataNode node;
    node.AddValue(u"a", kXdataParsedText);
    EXPECT_EQ(node.Kind(), kXdataText);
    node.AddValue(u"b", kXdataText);
    EXPECT_EQ(node.Kind(), kXdataText);
    node.AddValue(u"c", kXdataCData);
    EXPECT_EQ(node.Kind(), kXdataElements);

    TxdataNode cdata;
    cdata.LoadFromText(u"<a><![CDATA[x<y]]></a>");
    EXPECT_EQ(cdata.Kind(), kXdataCData);
    EXPECT_EQ(cdata.Text(), u"x<y");

    TxdataNode parent;
    parent.AddChild(TxdataNode::CreateNamed(u"c"));
    EXPECT_EQ(parent.Kind(), kXdataElements);
}

TEST(XdataNode, TypedSettersReplaceContentAndTypedGettersCheckTheKind) {
    TxdataNode node;
    node.AddChild(TxdataNode::CreateNamed(u"old"));
    node.SetInteger(-42);
    EXPECT_EQ(node.ChildCount(), 1u);
    EXPECT_EQ(node.Kind(), kXdataInteger);
    EXPECT_EQ(node.Text(), u"-42");
    EXPECT_EQ(node.AsInteger(), -42);
    try {
        node.AsFloat();
        FAIL() << "no error";
    } catch (const EError& e) {
        EXPECT_STREQ(e.what(), "XML DATA Type mismatch");
    }

    node.SetFloat(2.5);
    EXPECT_EQ(node.Kind(), kXdataFloat);
    EXPECT_DOUBLE_EQ(node.AsFloat(), 2.5);
    EXPECT_THROW(node.AsInteger(), EError);

    node.SetDateTime(EncodeDateTime(2011, 2, 28, 13, 5, 9));
    EXPECT_EQ(node.Kind(), kXdataDateTime);
    EXPECT_EQ(node.Text(), u"2011-02-28 13:05:09");
    EXPECT_DOUBLE_EQ(node.AsDateTime(), EncodeDateTime(2011, 2, 28, 13, 5, 9));
}

TEST(XdataNode, TextKindReadsNoTypedValue) {
    TxdataNode node;
    node.SetText(u"12");
    EXPECT_EQ(node.Kind(), kXdataText);
    EXPECT_THROW(node.AsInteger(), EError);
    EXPECT_THROW(node.AsDateTime(), EError);
}

TEST(XdataValue, PiecesReadTheirTextAsNumbersAndDates) {
    TxdataValue piece(u" 17 ", kXdataText);
    EXPECT_EQ(piece.AsInteger(), 17);
    TxdataValue bad(u"17x", kXdataText);
    EXPECT_THROW(bad.AsInteger(), EConvertError);
    EXPECT_THROW(bad.AsFloat(), EConvertError);
    TxdataValue date(u"3/4/2012 10:20:30", kXdataText);
    EXPECT_DOUBLE_EQ(date.AsDateTime(), EncodeDateTime(2012, 3, 4, 10, 20, 30));
    TxdataValue unreadable(u"soon", kXdataText);
    EXPECT_EQ(unreadable.AsDateTime(), 0.0);
}

TEST(XdataValue, WrittenFormWrapsCDataAndCommentsAndEscapesTheRest) {
    EXPECT_EQ(TxdataValue(u"a<b", kXdataCData).WrittenForm(), u"<![CDATA[a<b]]>");
    EXPECT_EQ(TxdataValue(u" c ", kXdataComment).WrittenForm(), u"<!-- c -->");
    EXPECT_EQ(TxdataValue(u"\"&'<>", kXdataText).WrittenForm(), u"&quot;&amp;&apos;&lt;&gt;");
    EXPECT_EQ(TxdataValue(u"1&2", kXdataInteger).XmlText(), u"1&amp;2");
}

TEST(XdataValue, Utf8TextEncodesAndSetUtf8TextDecodes) {
    TxdataValue piece;
    piece.SetUtf8Text("caf\xC3\xA9");
    EXPECT_EQ(piece.Text(), u"caf\u00E9");
    EXPECT_EQ(piece.Kind(), kXdataText);
    EXPECT_EQ(piece.Utf8Text(), "caf\xC3\xA9");

    TxdataNode node;
    node.SetUtf8Text("\xE2\x82\xAC");
    EXPECT_EQ(node.Text(), u"\u20AC");
    EXPECT_EQ(node.Utf8Text(), "\xE2\x82\xAC");
}

TEST(XdataValue, AppendXmlTextDecodesReferences) {
    TxdataValue piece(u"a", kXdataCData);
    piece.AppendXmlText(u"&amp;b&#x41;");
    EXPECT_EQ(piece.Text(), u"a&bA");
    EXPECT_EQ(piece.Kind(), kXdataCData);

    TxdataNode node;
    node.AddChild(TxdataNode::CreateNamed(u"x"));
    node.AppendXmlText(u"&lt;tag&gt;");
    EXPECT_EQ(node.ChildCount(), 1u);
    EXPECT_EQ(node.Text(), u"<tag>");
    EXPECT_EQ(node.Kind(), kXdataText);
}

TEST(XdataNode, ClearFreesChildrenAndKeepsNameAndAttributes) {
    TxdataNode root;
    root.LoadFromText(u"<a x=\"1\"><b/>text</a>");
    root.Clear();
    EXPECT_EQ(root.ChildCount(), 0u);
    EXPECT_EQ(root.Name(), u"a");
    EXPECT_EQ(root.GetAttribute(u"x"), u"1");
}

TEST(XdataNode, DetachHandsTheNodeToTheCaller) {
    TxdataNode root;
    root.LoadFromText(u"<a><Calendars><entry/></Calendars><user/></a>");
    TxdataNode* calendars = root.FindNode(u"Calendars");
    ASSERT_NE(calendars, nullptr);
    std::unique_ptr<TxdataNode> taken = calendars->Detach();
    EXPECT_EQ(taken.get(), calendars);
    EXPECT_EQ(root.ChildCount(), 1u);
    EXPECT_EQ(root.FindNode(u"Calendars"), nullptr);
    EXPECT_EQ(taken->FindNode(u".."), nullptr);  // the old parent is no longer reachable
    EXPECT_EQ(taken->ChildCount(), 1u);

    root.AddChild(std::move(taken));
    EXPECT_EQ(root.FindNode(u"Calendars/.."), &root);
    EXPECT_EQ(root.Child(1), calendars);
    EXPECT_EQ(TxdataNode().Detach(), nullptr);
}

TEST(XdataNode, OwnerDocumentIsTheDocumentAtTheTop) {
    TxdataDocument document;
    TxdataNode* child = document.AddChild(TxdataNode::CreateNamed(u"a"));
    TxdataNode* grandchild = child->AddChild(TxdataNode::CreateNamed(u"b"));
    EXPECT_EQ(grandchild->OwnerDocument(), &document);
    EXPECT_EQ(document.OwnerDocument(), &document);
    TxdataNode plain;
    EXPECT_EQ(plain.OwnerDocument(), nullptr);
}

TEST(XdataNode, XmlTextGivesTheSubtreeOnOneLine) {
    TxdataNode root;
    root.LoadFromText(u"<a k=\"v\">x&amp;y<b/><c>1</c><!-- n --></a>");
    EXPECT_EQ(root.XmlText(), u"<a k=\"v\">x&amp;y<b/><c>1</c><!-- n --></a>");
    EXPECT_EQ(root.WrittenForm(), u"x&amp;y<b/><c>1</c><!-- n -->");
    EXPECT_EQ(root.EscapedText(), u"x&amp;y");
}

}  // namespace
