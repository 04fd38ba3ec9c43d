#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "xml/node_pool.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

using namespace tessel;
using tessel::xml_detail::NodeMemoryBlocks;

namespace {

// A feed of a few thousand entries: several megabytes of tree, many page blocks of each size.
std::string LargeFeed(int entries) {
    std::string feed = "<feed>";
    for (int i = 0; i < entries; ++i) {
        const std::string n = std::to_string(i);
        feed += "<entry><id>http://host/feeds/cal/private/full/event" + n + "</id><title type='text'>Event " + n +
                "</title><link rel=\"alternate\" href=\"http://host/event/" + n +
                "\"/><gd:when startTime='2010-01-13T10:00:00' endTime='2010-01-13T11:00:00'/></entry>";
    }
    return feed + "</feed>";
}

bool Pooled() {
    auto probe = TxdataNode::Create();
    return NodeMemoryBlocks() > 0;
}

TEST(NodePool, MemoryOfAFreedTreeGoesBackToTheSystem) {
    if (!Pooled()) GTEST_SKIP() << "sanitizer builds use the general allocator";
    const std::size_t before = NodeMemoryBlocks();
    auto tree = TxdataNode::Create();
    tree->LoadFromBytes(LargeFeed(5000));
    const std::size_t built = NodeMemoryBlocks();
    EXPECT_GT(built, before + 30) << "a tree of this size spans many blocks";

    tree.reset();
    // One spare per block size may stay; the sixteen sizes bound them.
    EXPECT_LE(NodeMemoryBlocks(), before + 16);

    // Building the same tree again takes about as many blocks, not twice as many.
    tree = TxdataNode::Create();
    tree->LoadFromBytes(LargeFeed(5000));
    EXPECT_LE(NodeMemoryBlocks(), built + 16);
}

// A short parsed text shares its piece's block, a long one has its own; so do a start tag's
// attributes and their store. Replaced, appended to, cleared or freed with the tree, each is
// freed once, and the memory of the tree goes back.
TEST(NodePool, ParsedTextsAndAttributesAreChangedAndFreedWhereverTheyAreHeld) {
    const std::size_t before = NodeMemoryBlocks();
    const std::u16string longText(400, u'x');
    for (int round = 0; round < 3; ++round) {
        auto tree = TxdataNode::Create();
        tree->LoadFromBytes("<feed><a k='1' m=\"2\">short</a><b>" + std::string(longText.begin(), longText.end()) +
                            "</b><c>kept</c><d>&amp;</d><e>gone</e><f n=\"" + std::string(300, 'n') + "\"/></feed>");
        TxdataNode* a = tree->FindNode(u"a");
        a->SetAttribute(u"grown", longText);
        a->SetAttribute(u"k", u"");
        a->SetAttribute(u"m", u"3");
        EXPECT_EQ(a->AttributeCount(), 2u);
        EXPECT_EQ(a->GetAttribute(u"grown"), longText);
        EXPECT_EQ(a->GetAttribute(u"m"), u"3");
        EXPECT_EQ(tree->FindNode(u"f")->GetAttribute(u"n"), std::u16string(300, u'n'));
        tree->FindNode(u"f")->ClearAttributes();
        tree->FindNode(u"f")->AddAttribute(u"o", u"p");
        EXPECT_EQ(tree->FindNode(u"f")->AttributeEntry(0), u"o=\"p\"");
        tree->FindNode(u"a")->Child(0)->SetText(u"replaced");
        tree->FindNode(u"b")->Child(0)->AppendXmlText(u"&lt;");
        tree->FindNode(u"c")->Child(0)->AppendXmlText(u"!");
        tree->FindNode(u"d")->Child(0)->Clear();
        tree->FindNode(u"e")->SetText(u"node text");
        EXPECT_EQ(tree->ReadValue(u"a"), u"replaced");
        EXPECT_EQ(tree->ReadValue(u"b"), longText + u"<");
        EXPECT_EQ(tree->ReadValue(u"c"), u"kept!");
        EXPECT_EQ(tree->ReadValue(u"d"), u"");
        EXPECT_EQ(tree->ReadValue(u"e"), u"node text");
        tree->LoadFromBytes(LargeFeed(1000));
        EXPECT_EQ(tree->SelectNodes(u"entry")->Node(999)->ReadValue(u"title"), u"Event 999");
    }
    if (Pooled()) EXPECT_LE(NodeMemoryBlocks(), before + 16);
}

TEST(NodePool, TreesLiveSideBySideAndFreeInAnyOrder) {
    auto first = TxdataNode::Create();
    auto second = TxdataNode::Create();
    first->LoadFromBytes(LargeFeed(300));
    second->LoadFromBytes(LargeFeed(200));
    first.reset();
    // Blocks freed by the first tree are reused beside the second's live ones.
    auto third = TxdataNode::Create();
    third->LoadFromBytes(LargeFeed(300));
    EXPECT_EQ(second->SelectNodes(u"entry")->Count(), 200u);
    EXPECT_EQ(third->SelectNodes(u"entry")->Count(), 300u);
    EXPECT_EQ(third->SelectNodes(u"entry")->Node(299)->ReadValue(u"title"), u"Event 299");
    EXPECT_EQ(second->SelectNodes(u"entry")->Node(199)->ReadValue(u"link/href"), u"http://host/event/199");
}

TEST(NodePool, ATreeBuiltOnOneThreadIsFreedOnAnother) {
    auto tree = TxdataNode::Create();
    std::thread builder([&] { tree->LoadFromBytes(LargeFeed(2000)); });
    builder.join();
    // Both threads build and free at once: the pool is shared.
    auto other = TxdataNode::Create();
    std::thread freer([&] { tree.reset(); });
    other->LoadFromBytes(LargeFeed(2000));
    freer.join();
    EXPECT_EQ(other->SelectNodes(u"entry")->Count(), 2000u);
}

}  // namespace
