#include <gtest/gtest.h>

#include "xml/xdata_node.h"

using tessel::TxdataNode;

namespace {

TEST(XdataAttribute, GetAttributeIgnoresAsciiCaseAndAnswersEmptyWhenMissing) {
    TxdataNode node;
    node.AddAttribute(u"Left", u"5");
    EXPECT_EQ(node.GetAttribute(u"left"), u"5");
    EXPECT_EQ(node.GetAttribute(u"LEFT"), u"5");
    EXPECT_EQ(node.GetAttribute(u"top"), u"");
}

TEST(XdataAttribute, SetAttributeReplacesInPlaceAppendsOrRemoves) {
    TxdataNode node;
    node.SetAttribute(u"a", u"1");
    node.SetAttribute(u"b", u"2");
    node.SetAttribute(u"c", u"3");
    node.SetAttribute(u"B", u"20");  // keeps its place, takes the name as now given
    ASSERT_EQ(node.AttributeCount(), 3u);
    EXPECT_EQ(node.AttributeEntry(1), u"B=\"20\"");
    node.SetAttribute(u"a", u"");
    ASSERT_EQ(node.AttributeCount(), 2u);
    EXPECT_EQ(node.AttributeEntry(0), u"B=\"20\"");
    node.SetAttribute(u"startup", u"");
    EXPECT_EQ(node.AttributeCount(), 2u);
}

TEST(XdataAttribute, SetAttributeStoresTheValueVerbatim) {
    TxdataNode node;
    node.SetAttribute(u"href", u"a?b=1&c=<2>");
    EXPECT_EQ(node.AttributeEntry(0), u"href=\"a?b=1&c=<2>\"");
    EXPECT_EQ(node.GetAttribute(u"href"), u"a?b=1&c=<2>");
}

TEST(XdataAttribute, AddAttributeKeepsDuplicatesAndTheFirstWins) {
    TxdataNode node;
    node.AddAttribute(u"id", u"first");
    node.AddAttribute(u"id", u"second");
    EXPECT_EQ(node.AttributeCount(), 2u);
    EXPECT_EQ(node.GetAttribute(u"id"), u"first");
}

TEST(XdataAttribute, ClearAttributesRemovesEveryOne) {
    TxdataNode node;
    node.LoadFromText(u"<a x=\"1\" y=\"2\"><b/></a>");
    node.ClearAttributes();
    EXPECT_EQ(node.AttributeCount(), 0u);
    EXPECT_EQ(node.ChildCount(), 1u);
}

TEST(XdataAttribute, ValuesPassThroughTheByteCodePageUnchanged) {
    TxdataNode node;
    const std::u16string utf8Bytes = u"caf\u00C3\u00A9";  // UTF-8 of "café", one unit per byte
    node.SetAttribute(u"name", utf8Bytes);
    EXPECT_EQ(node.GetAttribute(u"name"), utf8Bytes);
    node.SetAttribute(u"wide", u"\u20AC");  // no byte for it: narrowed as '?'
    EXPECT_EQ(node.GetAttribute(u"wide"), u"?");
}

TEST(XdataAttribute, WideModeMatchesNamesExactly) {
    TxdataNode node;
    node.SetWideMode(true);
    node.AddAttribute(u"Name", u"\u20AC");
    EXPECT_EQ(node.GetAttribute(u"Name"), u"\u20AC");
    EXPECT_EQ(node.GetAttribute(u"name"), u"");
    node.SetAttribute(u"Name", u"x");
    EXPECT_EQ(node.AttributeEntry(0), u"Name=\"x\"");
    node.SetAttribute(u"Name", u"");
    EXPECT_EQ(node.AttributeCount(), 0u);
}

TEST(XdataAttribute, AddChildCarriesTheWideModeAndConvertsAttributes) {
    TxdataNode wideParent;
    wideParent.SetWideMode(true);
    auto child = TxdataNode::CreateNamed(u"c");
    child->AddAttribute(u"rel", u"alternate");
    TxdataNode* added = wideParent.AddChild(std::move(child));
    EXPECT_TRUE(added->WideMode());
    EXPECT_EQ(added->GetAttribute(u"rel"), u"alternate");
    EXPECT_EQ(added->GetAttribute(u"REL"), u"");

    TxdataNode plainParent;
    auto wideChild = TxdataNode::CreateNamed(u"w");
    wideChild->SetWideMode(true);
    wideChild->AddAttribute(u"k", u"v");
    TxdataNode* plain = plainParent.AddChild(std::move(wideChild));
    EXPECT_FALSE(plain->WideMode());
    EXPECT_EQ(plain->GetAttribute(u"K"), u"v");
}

}  // namespace
