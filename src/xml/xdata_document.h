#pragma once
// A tree read from a file: an element that also keeps the DOCTYPE text of its file (in memory
// only; SaveToLines writes a document like any other element).
#include <string>

#include "xml/xdata_node.h"

namespace tessel {

class TxdataDocument : public TxdataNode {
public:
    using TxdataNode::TxdataNode;

    const std::u16string& Doctype() const { return doctype_; }
    void HandleItem(int itemType, std::u16string_view text) override;

private:
    std::u16string doctype_;
};

}  // namespace tessel
