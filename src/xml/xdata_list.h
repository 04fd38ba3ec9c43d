#pragma once
// The answer of SelectNodes: (name, node) pairs in document order. The nodes stay owned by their
// tree; the list must be dropped before that tree is cleared.
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace tessel {

class TxdataNode;

class TxdataList {
public:
    void Add(std::u16string name, TxdataNode* node) { items_.emplace_back(std::move(name), node); }
    size_t Count() const { return items_.size(); }
    TxdataNode* Node(size_t index) const { return items_[index].second; }
    const std::u16string& Name(size_t index) const { return items_[index].first; }

private:
    std::vector<std::pair<std::u16string, TxdataNode*>> items_;
};

}  // namespace tessel
