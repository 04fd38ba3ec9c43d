// Hostile nesting and values holding double quotes.
#include <gtest/gtest.h>

#include "base/file_io.h"
#include "support/temp_folder.h"
#include "xml/xdata_document.h"
#include "xml/xdata_node.h"
#include "xml/xml_parser.h"

using namespace tessel;

namespace {

std::string Nested(size_t depth) {
    std::string text;
    text.reserve(depth * 7);
    for (size_t i = 0; i < depth; ++i) text += "<a>";
    for (size_t i = 0; i < depth; ++i) text += "</a>";
    return text;
}

size_t DepthBelow(const TxdataNode& node) {
    size_t depth = 0;
    for (const TxdataNode* n = node.FindNode(u"a"); n; n = n->FindNode(u"a")) ++depth;
    return depth;
}

// Text parses (network replies and what the stores keep of them) allow 32 levels, files 1000.
TEST(XmlNesting, AMillionNestedElementsAreRefusedWithoutExhaustingTheStack) {
    TxdataNode root;
    try {
        root.LoadFromBytes(Nested(1000000));
        FAIL() << "no error";
    } catch (const TxmlParserException& e) {
        EXPECT_EQ(e.Message(), "Elements nested too deeply");
        EXPECT_EQ(e.Column(), 100);  // just after the 33rd start tag
    }
    EXPECT_EQ(DepthBelow(root), 31u);  // the part built before the error stays

    tessel::testing::TempFolder folder;
    WriteFileAtomic(folder.File(u"deep.xml"), Nested(1001));
    try {
        LoadXmlDocument(folder.File(u"deep.xml"));
        FAIL() << "no error";
    } catch (const TxmlParserException& e) {
        EXPECT_EQ(e.Message(), "Elements nested too deeply");
        EXPECT_EQ(e.Column(), 3004);  // just after the 1001st start tag
    }
}

TEST(XmlNesting, DocumentsUpToTheLimitLoadAndWriteBack) {
    TxdataNode root;
    root.LoadFromBytes(Nested(32));
    EXPECT_EQ(DepthBelow(root), 31u);
    std::vector<std::string> lines;
    root.SaveToLines(lines);
    ASSERT_EQ(lines.size(), 63u);  // the innermost element has no children: one line
    EXPECT_EQ(lines[31], std::string(31 * 8, ' ') + "<a/>");
    EXPECT_EQ(lines[62], "</a>");

    tessel::testing::TempFolder folder;
    WriteFileAtomic(folder.File(u"deep.xml"), Nested(1000));
    EXPECT_EQ(DepthBelow(*LoadXmlDocument(folder.File(u"deep.xml"))), 999u);
}

TEST(XmlNesting, AMillionLevelTreeBuiltInCodeIsWrittenAndFreedWithoutRecursion) {
    auto root = TxdataNode::CreateNamed(u"a");
    TxdataNode* tip = root.get();
    for (int i = 0; i < 1000000; ++i) tip = tip->AddChild(TxdataNode::CreateNamed(u"a"));
    tip->SetText(u"bottom");
    const std::u16string text = root->XmlText();
    EXPECT_EQ(text.size(), 1000001u * 7 + 6);
    EXPECT_EQ(text.substr(1000001u * 3, 6), u"bottom");
    EXPECT_EQ(root->FindNode(u"a/a/a/..")->FindNode(u"../.."), root.get());
    root->Clear();
    EXPECT_EQ(root->ChildCount(), 0u);
    for (int i = 0; i < 1000000; ++i) tip = root->AddChild(TxdataNode::CreateNamed(u"a"))->AddChild(TxdataNode::CreateNamed(u"a"));
    root.reset();  // the destructor walks the tree without recursion
    SUCCEED();
}


TEST(XmlQuotedValues, APasswordWithADoubleQuoteSurvivesSaveAndLoad) {
    std::vector<std::string> lines;
    const std::u16string password = u"a\"b&c'd";
    TxdataNode account;
    account.SetName(u"Account");
    account.AddChild(TxdataNode::CreateNamed(u"user"))->SetAttribute(u"pass", password);
    account.SaveToLines(lines);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "        <user pass=\"a&quot;b&amp;c'd\"/>");

    TxdataNode loaded;
    loaded.LoadFromBytes(JoinLines(lines));
    EXPECT_EQ(loaded.ReadValue(u"user/pass"), password);
    EXPECT_EQ(loaded.FindNode(u"user")->GetAttribute(u"pass"), password);
}

TEST(XmlQuotedValues, ValuesThatReadAsEscapedQuotesRoundTripToo) {
    for (const std::u16string value : {u"&quot;", u"x&amp;quot;y", u"\"", u"\"\"", u"&amp;\"&quot;"}) {
        SCOPED_TRACE(std::string(value.begin(), value.end()));
        TxdataNode node;
        node.SetName(u"user");
        node.SetAttribute(u"pass", value);
        std::vector<std::string> lines;
        node.SaveToLines(lines);
        TxdataNode loaded;
        loaded.LoadFromBytes(JoinLines(lines));
        EXPECT_EQ(loaded.GetAttribute(u"pass"), value);
    }
}

TEST(XmlQuotedValues, ValuesWithoutADoubleQuoteAreWrittenByteForByte) {
    const std::string line =
        "<a href=\"h?a=1&amp;b=2\" t=\"&lt;&gt;\" s=\"it's\" amp=\"&\" sq=\"'x'\" hi=\"\xC3\xA9\" n =\"1\"/>";
    TxdataNode node;
    node.LoadFromBytes(line);
    std::vector<std::string> lines;
    node.SaveToLines(lines);
    EXPECT_EQ(lines, std::vector<std::string>{line});
    EXPECT_EQ(node.GetAttribute(u"href"), u"h?a=1&amp;b=2");
}

TEST(XmlQuotedValues, OnlyQuoteAndAmpersandReferencesAreDecodedAndOnlyBesideAQuote) {
    TxdataNode node;
    node.LoadFromBytes("<a q=\"say &quot;hi&quot; &amp; &lt;go&gt;\" p=\"x &amp; y\"/>");
    EXPECT_EQ(node.GetAttribute(u"q"), u"say \"hi\" & &lt;go&gt;");
    EXPECT_EQ(node.GetAttribute(u"p"), u"x &amp; y");
}

}  // namespace
