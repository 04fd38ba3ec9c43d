#include <gtest/gtest.h>

#include "base/text.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

using tessel::TxdataNode;

namespace {

class XdataPath : public ::testing::Test {
protected:
    TxdataNode root;
    void load(const char16_t* xml) { root.LoadFromText(xml); }
};

TEST_F(XdataPath, EmptyPathAndSingleSlashNameTheNodeItself) {
    load(u"<p>top<window left=\"5\"/></p>");
    EXPECT_EQ(root.FindNode(u""), &root);
    EXPECT_EQ(root.FindNode(u"/"), &root);
    EXPECT_EQ(root.ReadValue(u""), u"top");
}

TEST_F(XdataPath, NamesMatchIgnoringAsciiCaseAndSurroundingBlanks) {
    load(u"<p><window left=\"5\"/><Other/></p>");
    TxdataNode* window = root.FindNode(u"WINDOW");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->Name(), u"window");
    EXPECT_EQ(root.FindNode(u" window "), window);
    EXPECT_NE(root.FindNode(u"other"), nullptr);
    EXPECT_EQ(root.FindNode(u"windows"), nullptr);
}

TEST_F(XdataPath, DotSegmentsMoveUpAndBackToTheStart) {
    load(u"<p><window><inner/></window><update/></p>");
    EXPECT_EQ(root.FindNode(u"window/.."), &root);
    EXPECT_EQ(root.FindNode(u".."), nullptr);  // a root has no parent
    EXPECT_EQ(root.FindNode(u"window/inner/./update"), root.FindNode(u"update"));
    TxdataNode* inner = root.FindNode(u"window/inner");
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(inner->FindNode(u"../.."), &root);
}

TEST_F(XdataPath, TrailingSlashChangesNothingAndEmptySegmentsMatchNothing) {
    load(u"<p><window><left/></window></p>");
    EXPECT_EQ(root.FindNode(u"window/"), root.FindNode(u"window"));
    EXPECT_EQ(root.FindNode(u"/window/left"), root.FindNode(u"window/left"));
    EXPECT_EQ(root.FindNode(u"window//left"), nullptr);
}

TEST_F(XdataPath, ContentPiecesAreNeverMatched) {
    load(u"<p>window<!--window--></p>");
    EXPECT_EQ(root.FindNode(u"window"), nullptr);
}

TEST_F(XdataPath, ReadValueTriesChildElementThenAttributeThenEmpty) {
    load(uR"(<p><window left="5" top="3"/><update><left>7</left></update></p>)");
    EXPECT_EQ(root.ReadValue(u"window/left"), u"5");
    EXPECT_EQ(root.ReadValue(u"window/top"), u"3");
    EXPECT_EQ(root.ReadValue(u"window/width"), u"");
    EXPECT_EQ(root.ReadValue(u"nothing/left"), u"");
    EXPECT_EQ(root.ReadValue(u"update/left"), u"7");
}

TEST_F(XdataPath, ChildElementWinsOverAttributeOfTheSameName) {
    load(uR"(<p><window left="5"><left>7</left></window></p>)");
    EXPECT_EQ(root.ReadValue(u"window/left"), u"7");
}

TEST_F(XdataPath, ReadValueOfOneSegmentReadsTheNodesOwnAttribute) {
    load(uR"(<entry id="attr"><title>t</title></entry>)");
    EXPECT_EQ(root.ReadValue(u"id"), u"attr");
    EXPECT_EQ(root.ReadValue(u"/id"), u"attr");
    EXPECT_EQ(root.ReadValue(u"title"), u"t");
}

TEST_F(XdataPath, PredicateSelectsFirstChildWithExactAttributeValue) {
    load(uR"(<feed><link rel="self" href="a"/><link rel="alternate" href="b"/><link rel="alternate" href="c"/></feed>)");
    for (const char16_t* path : {u"link[@rel=alternate]", u"link[rel=\"alternate\"]", u"LINK[ @REL = alternate ]"}) {
        SCOPED_TRACE(std::string(path, path + std::char_traits<char16_t>::length(path)));
        EXPECT_EQ(root.ReadValue(std::u16string(path) + u"/href"), u"b");
    }
    EXPECT_EQ(root.FindNode(u"link[@rel=Alternate]"), nullptr);  // values compare case-sensitively
    EXPECT_EQ(root.FindNode(u"link[@rel]"), nullptr);
}

TEST_F(XdataPath, PredicateFallsBackToFirstChildElementText) {
    load(uR"(<feed><entry><id>one</id></entry><entry><id>two</id><id>three</id></entry></feed>)");
    TxdataNode* second = root.FindNode(u"entry[id=two]");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->ReadValue(u"id"), u"two");
    EXPECT_EQ(root.FindNode(u"entry[id=three]"), nullptr);  // only the first id child counts
}

TEST_F(XdataPath, SelectNodesListsDirectChildrenOfOneName) {
    load(uR"(<a><Calendars><entry id="1"/><other/><ENTRY id="2"><entry id="deep"/></ENTRY></Calendars></a>)");
    auto list = root.SelectNodes(u"Calendars/entry");
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->Count(), 2u);
    EXPECT_EQ(list->Node(0)->GetAttribute(u"id"), u"1");
    EXPECT_EQ(list->Node(1)->GetAttribute(u"id"), u"2");
    EXPECT_EQ(list->Name(1), u"ENTRY");

    auto none = root.SelectNodes(u"Calendars/missing");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(none->Count(), 0u);
    EXPECT_EQ(root.SelectNodes(u"nothing/entry"), nullptr);
    auto top = root.SelectNodes(u"calendars");
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(top->Count(), 1u);
}

TEST_F(XdataPath, LookupsCreateNothing) {
    load(u"<p><window/></p>");
    EXPECT_EQ(root.FindNode(u"window/left"), nullptr);
    EXPECT_EQ(root.ReadValue(u"a/b/c"), u"");
    EXPECT_EQ(root.SelectNodes(u"a/b"), nullptr);
    EXPECT_EQ(root.ChildCount(), 1u);
    EXPECT_EQ(root.FindNode(u"window")->ChildCount(), 0u);
}

}  // namespace

namespace {

// The byte reads answer what the wide ones answer, narrowed: for a tree read from 8-bit text (its
// bytes as read) and for a wide one (units above 0xFF as the code page narrows them).
TEST(XdataPathBytes, ByteReadsAreTheWideReadsNarrowed) {
    TxdataNode read;
    read.LoadFromBytes("<feed><entry a=\" caf\xC3\xA9 \" q=\"'x'\"><title>T\xC3\xA9<!--c-->two<b>no</b></title>"
                       "<id>\r\n  i\r\n</id><e/></entry></feed>");
    TxdataNode wide;
    wide.SetWideMode(true);
    TxdataNode* entry = wide.AddChild(TxdataNode::CreateNamed(u"entry"));
    entry->AddAttribute(u"a", u"\u03A9 x");
    entry->AddChild(TxdataNode::CreateNamed(u"title"))->SetText(u"caf\u00E9 \u2013");
    for (const TxdataNode* tree : {static_cast<const TxdataNode*>(&read), static_cast<const TxdataNode*>(&wide)}) {
        for (const char16_t* path : {u"entry/title", u"entry/id", u"entry/a", u"entry/q", u"entry/A", u"entry/e",
                                     u"entry/missing", u"missing/a", u"entry", u""}) {
            SCOPED_TRACE(tessel::Narrow(path));
            EXPECT_EQ(tree->ReadValueBytes(path), tessel::Narrow(tree->ReadValue(path)));
        }
    }
    EXPECT_EQ(read.ReadValueBytes(u"entry/a"), " caf\xC3\xA9 ");
    EXPECT_EQ(read.ReadValueBytes(u"entry/title"), "T\xC3\xA9two");
    EXPECT_EQ(wide.ReadValueBytes(u"entry/a"), "? x");
}

}  // namespace
