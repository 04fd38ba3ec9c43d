#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/text.h"
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
    if (Pooled()) {
        EXPECT_LE(NodeMemoryBlocks(), before + 16);
    }
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

// The general heap's bytes in use, where the C library tells; 0 elsewhere.
std::size_t HeapInUse() {
#if defined(__GLIBC__)
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#else
    return 0;
#endif
}

// What is done to a tree parsed from a long text (its memory an arena of its own) before it is
// freed: whatever leaves the tree must outlive it, and whatever came into it from elsewhere
// must be freed with it.
struct ArenaChange {
    const char* what;
    // Changes the tree; nodes that must outlive it go to `kept`.
    std::function<void(TxdataNode& tree, std::vector<std::unique_ptr<TxdataNode>>& kept)> change;
    // Checks the kept nodes once the tree is gone.
    std::function<void(const std::vector<std::unique_ptr<TxdataNode>>& kept)> check;
    bool freedOnAnotherThread = false;
};

void EachEntry(TxdataNode& tree, const std::function<void(TxdataNode& entry, int index)>& change) {
    const auto entries = tree.SelectNodes(u"entry");
    for (size_t i = 0; i < entries->Count(); ++i) change(*entries->Node(i), int(i));
}

std::u16string Numbered(const char* text, int index) { return Widen(text + std::to_string(index)); }

// A long load that hands its entries over one by one holds the pool for a while; a thread that
// needs it meanwhile (the window thread reading its settings) gets in between two entries, not
// after the whole file.
TEST(NodePool, ALoadHandingOverItsEntriesLetsAWaitingThreadIn) {
    if (!Pooled()) GTEST_SKIP() << "sanitizer builds do not pool";
    constexpr int kEntries = 2000;
    std::atomic<bool> started{false}, done{false};
    std::thread other;
    int taken = 0, takenWhenDone = 0;
    TxdataNode root;
    root.LoadFromBytes(LargeFeed(kEntries), [&](const TxdataNode&) {
        ++taken;
        if (!other.joinable()) {
            other = std::thread([&] {
                started = true;
                auto settings = TxdataNode::Create();
                settings->LoadFromBytes("<profile><window left='1'/></profile>");
                done = true;
            });
            while (!started) std::this_thread::yield();
        } else if (done) {
            if (takenWhenDone == 0) takenWhenDone = taken;
        } else {
            // Time for the other thread to reach the pool; the load cannot end meanwhile.
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    });
    other.join();
    EXPECT_GT(takenWhenDone, 0) << "the other thread waited for the whole load";
    EXPECT_LT(takenWhenDone, kEntries);
}

TEST(NodePool, ALargeTreeIsFreedWholeWhateverWasTakenOutOrPutIn) {
    const std::string feed = LargeFeed(5000);
    ASSERT_GE(feed.size(), xml_detail::kArenaTextBytes);
    const auto keepsTitles = [](const std::vector<std::unique_ptr<TxdataNode>>& kept) {
        ASSERT_EQ(kept.size(), 2500u);
        for (size_t i = 0; i < kept.size(); ++i)
            ASSERT_EQ(kept[i]->ReadValue(u"title"), Numbered("Event ", int(2 * i)));
    };
    const ArenaChange changes[] = {
        {"left as parsed", [](TxdataNode&, auto&) {}, nullptr},
        {"left as parsed, freed on another thread", [](TxdataNode&, auto&) {}, nullptr, true},
        {"entries taken out and kept",
         [](TxdataNode& tree, auto& kept) {
             EachEntry(tree, [&](TxdataNode& entry, int i) {
                 if (i % 2 == 0) kept.push_back(entry.Detach());
             });
         },
         keepsTitles, true},
        {"entries moved into another tree",
         [](TxdataNode& tree, auto& kept) {
             auto other = TxdataNode::CreateNamed(u"other");
             EachEntry(tree, [&](TxdataNode& entry, int i) {
                 if (i % 2 == 0) other->AddChild(entry.Detach());
             });
             kept.push_back(std::move(other));
         },
         [](const auto& kept) {
             EXPECT_EQ(kept[0]->SelectNodes(u"entry")->Count(), 2500u);
             EXPECT_EQ(kept[0]->SelectNodes(u"entry")->Node(1249)->ReadValue(u"link/href"), u"http://host/event/2498");
         }},
        {"a tree from elsewhere put in",
         [](TxdataNode& tree, auto&) {
             auto other = TxdataNode::Create();
             other->LoadFromBytes(LargeFeed(2000));
             tree.FindNode(u"entry")->AddChild(std::move(other));
         },
         nullptr},
        {"texts replaced",
         [](TxdataNode& tree, auto&) {
             EachEntry(tree, [](TxdataNode& entry, int i) { entry.FindNode(u"title")->Child(0)->SetText(Numbered("Changed ", i)); });
         },
         nullptr},
        {"node texts set",
         [](TxdataNode& tree, auto&) {
             EachEntry(tree, [](TxdataNode& entry, int i) { entry.FindNode(u"id")->SetText(Numbered("id ", i)); });
         },
         nullptr},
        {"attributes set",
         [](TxdataNode& tree, auto&) {
             EachEntry(tree, [](TxdataNode& entry, int i) { entry.FindNode(u"link")->SetAttribute(u"rel", Numbered("changed ", i)); });
         },
         nullptr},
        {"names of their own",
         [](TxdataNode& tree, auto&) {
             EachEntry(tree, [](TxdataNode& entry, int i) { entry.SetName(Numbered("an-entry-whose-name-runs-past-the-longest-one-the-shared-name-table-takes-", i)); });
         },
         nullptr},
        {"wide attributes",
         [](TxdataNode& tree, auto&) {
             EachEntry(tree, [](TxdataNode& entry, int) { entry.FindNode(u"link")->SetWideMode(true); });
         },
         nullptr},
        {"entries cleared", [](TxdataNode& tree, auto&) { EachEntry(tree, [](TxdataNode& entry, int) { entry.Clear(); }); },
         nullptr},
        {"a long text loaded on top", [](TxdataNode& tree, auto&) { tree.LoadFromBytes(LargeFeed(5000)); }, nullptr},
        {"a short text loaded on top", [](TxdataNode& tree, auto&) { tree.LoadFromBytes("<more><x>y</x></more>"); }, nullptr},
        {"a short text loaded into an entry",
         [](TxdataNode& tree, auto&) {
             EachEntry(tree, [](TxdataNode& entry, int) { entry.LoadFromBytes("<more><x>y</x></more>"); });
         },
         nullptr},
        {"the top node's text set", [](TxdataNode& tree, auto&) { tree.SetText(u"plain"); }, nullptr},
    };
    for (const ArenaChange& row : changes) {
        SCOPED_TRACE(row.what);
        xml_detail::ReleaseSpareNodeMemory();
        const std::size_t blocksBefore = NodeMemoryBlocks();
        const std::size_t heapBefore = HeapInUse();
        {
            std::vector<std::unique_ptr<TxdataNode>> kept;
            kept.reserve(5000);
            auto tree = TxdataNode::Create();
            tree->LoadFromBytes(feed);
            row.change(*tree, kept);
            if (row.freedOnAnotherThread) std::thread([&] { tree.reset(); }).join();
            else tree.reset();
            if (row.check) row.check(kept);
        }
        xml_detail::ReleaseSpareNodeMemory();
        EXPECT_EQ(NodeMemoryBlocks(), blocksBefore);
        // A few shared names may stay for good; a leaked tree's names or texts would be far more.
        EXPECT_LT(HeapInUse(), heapBefore + 64 * 1024);
    }
}

}  // namespace
