// Arbitrary bytes through the 8-bit tokenizer and the tree builder (directly and widened, as the
// stores load, and letting every element under the top element go as it completes, as the
// cache's lean load does, and so again over the text read in small pieces), then the writer and
// a second load of what it wrote. A tree that loaded whole under a named top element must load
// again from its written lines.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/crlf_pieces.h"
#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "support/text_reader.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"
#include "xml/xml_parser.h"

namespace {

using Taker = std::function<bool(const tessel::TxdataNode&)>;

// A lean load's outcome: the children let go, the tree that stays, the error and where.
std::u16string LeanLoad(tessel::TxdataNode& root, const std::function<void(const Taker&)>& load) {
    std::u16string seen;
    try {
        load([&](const tessel::TxdataNode& child) {
            seen += child.XmlText();
            return true;
        });
    } catch (const tessel::TxmlParserException& e) {
        seen += u"|" + tessel::Widen(e.Message() + " " + std::to_string(e.Line()) + ":" + std::to_string(e.Column()));
    } catch (const tessel::EError& e) {
        seen += u"|" + tessel::Widen(e.what());
    }
    return seen + u"|" + root.XmlText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    tessel::TxdataNode root;
    bool whole = true;
    try {
        root.LoadFromBytes(bytes);
    } catch (const tessel::EError&) {
        whole = false;  // syntax and reference errors are expected; what was built stays
    }

    tessel::TxdataNode widened;
    try {
        widened.LoadFromText(tessel::Widen(bytes));
    } catch (const tessel::EError&) {
    }
    if (widened.XmlText() != root.XmlText()) __builtin_trap();

    // The children let go are the whole tree's, in order; what stays is what the parse had not
    // finished when it stopped, and the error, if any, is the same.
    tessel::TxdataNode lean;
    std::u16string seen;
    bool leanWhole = true;
    try {
        lean.LoadFromBytes(bytes, [&](const tessel::TxdataNode& child) {
            seen += child.XmlText();
            return true;
        });
    } catch (const tessel::EError&) {
        leanWhole = false;
    }
    if (leanWhole != whole) __builtin_trap();
    const auto elements = [](const tessel::TxdataNode& node) {
        std::u16string text;
        for (size_t i = 0; i < node.ChildCount(); ++i)
            if (node.Child(i)->IsNode()) text += static_cast<const tessel::TxdataNode*>(node.Child(i))->XmlText();
        return text;
    };
    if (seen + elements(lean) != elements(root)) __builtin_trap();

    // Read in pieces of a few bytes (a size the input picks), the lean load is that of the whole
    // text made CR LF: the same children, the same tree, the same error at the same place.
    {
        const std::string crlf = tessel::CrLfLines(std::string(bytes));
        tessel::TxdataNode whole;
        const std::u16string expected =
            LeanLoad(whole, [&](const auto& take) { whole.LoadFromBytes(crlf, take); });
        tessel::TxdataNode pieced;
        const size_t piece = 1 + (size > 0 ? data[size - 1] % 16 : 0);
        tessel::CrLfPieces pieces(std::make_unique<tessel::testing::TextReader>(std::string(bytes)), piece);
        if (LeanLoad(pieced, [&](const auto& take) { pieced.LoadFromPieces(pieces, take); }) != expected)
            __builtin_trap();
    }

    std::vector<std::string> lines;
    root.SaveToLines(lines);
    tessel::TxdataNode again;
    try {
        again.LoadFromBytes(tessel::JoinLines(lines));
    } catch (const tessel::EError&) {
        if (whole && !root.Name().empty()) __builtin_trap();
    }

    (void)root.ReadValue(u"entry/link[@rel=alternate]/href");
    (void)root.ReadValue(u"a/../b/./c");
    if (auto list = root.SelectNodes(u"entry"))
        for (size_t i = 0; i < list->Count(); ++i) (void)list->Node(i)->Text();
    return 0;
}
