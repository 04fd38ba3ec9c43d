// Arbitrary bytes through the 8-bit tokenizer and the tree builder (directly and widened, as the
// stores load, and letting every element under the top element go as it completes, as the
// cache's lean load does), then the writer and a second load of what it wrote. A tree that
// loaded whole under a named top element must load again from its written lines.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"
#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

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
