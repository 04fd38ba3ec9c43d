// A load that lets the top element's children go as they complete: the children handed over,
// the tree that stays, and the errors with their positions, each as a load of the whole tree
// gives them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/errors.h"
#include "base/text.h"
#include "xml/xdata_node.h"
#include "xml/xml_parser.h"

using namespace tessel;

namespace {

// What a load left: the tree as one line of XML, the entries taken (or, for a whole load, its
// first `entries` entries under the top element, taken out afterwards), and the parser's error
// with its position.
struct Outcome {
    std::string tree;
    std::vector<std::string> entries;
    std::string error;
};

bool IsEntry(const TxdataNode& node) { return node.Name() == u"entry"; }

Outcome Load(const std::string& text, bool take, size_t entries = 0) {
    Outcome out;
    TxdataNode root;
    try {
        if (take) {
            root.LoadFromBytes(text, [&](const TxdataNode& child) {
                if (!IsEntry(child)) return false;
                out.entries.push_back(Narrow(child.XmlText()));
                return true;
            });
        } else {
            root.LoadFromBytes(text);
        }
    } catch (const TxmlParserException& e) {
        out.error = e.Message() + " at " + std::to_string(e.Line()) + ":" + std::to_string(e.Column());
    } catch (const EError& e) {
        out.error = e.what();
    }
    if (!take) {
        // The whole tree: as many entries as were taken go to the list, the rest stays.
        for (size_t i = 0; i < root.ChildCount() && out.entries.size() < entries;) {
            auto* child = root.Child(i)->IsNode() ? static_cast<TxdataNode*>(root.Child(i)) : nullptr;
            if (child && IsEntry(*child)) {
                out.entries.push_back(Narrow(child->XmlText()));
                child->Detach();
            } else {
                ++i;
            }
        }
    }
    out.tree = Narrow(root.XmlText());
    return out;
}

TEST(XmlTakeChildren, TakenChildrenAndWhatStaysMatchAWholeLoad) {
    struct Case {
        std::string text;
        size_t taken;  // the entries complete under the top element before the load ended
    };
    const Case cases[]{
        {"<feed a='1'><id>x</id><entry><title>A</title><gd:when startTime='2010'/></entry>"
         "<entry><entry>inner</entry></entry><title>T</title></feed>",
         2},
        {"<feed>\r\n  <entry/>\r\n  <entry x=\"1\"/>\r\n</feed>\r\n", 2},
        {"<feed>\n  <entry>\n    <title>LF</title>\n  </entry>\n</feed>\n", 1},
        {"<!-- c --><feed><entry>1</entry></feed><feed b='2'><entry>2</entry><other/></feed>", 2},
        {"<feed/>", 0},
        {"<feed><entry>1</entry><entry>cut short", 1},
        {"<feed><entry>1</entry><entry><title>x</titel></entry></feed>", 1},
        {"<feed>\r\n<entry>1</entry>\r\n<entry>&nbsp;</entry></feed>", 1},
        {"<feed><entry>1</entry>\n<entry><a b=\"c/></entry></feed>", 1},
        {"<feed><entry>1</entry></feed>trailing", 1},
    };
    for (const Case& c : cases) {
        const std::string& text = c.text;
        SCOPED_TRACE(text);
        const Outcome taken = Load(text, true);
        const Outcome whole = Load(text, false, taken.entries.size());
        EXPECT_EQ(taken.error, whole.error);
        EXPECT_EQ(taken.tree, whole.tree);
        EXPECT_EQ(taken.entries.size(), c.taken);
        EXPECT_EQ(taken.entries, whole.entries);
    }
}

}  // namespace
