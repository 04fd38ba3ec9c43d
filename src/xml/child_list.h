#pragma once
// The children of an element, owned. Most elements of a document hold exactly one child, their
// text, which is kept in place; more go to a block from the node pool that doubles as needed.
// Freeing a child that is an element is the element's business (TxdataNode::Clear frees a
// subtree without recursion), so the list hands its children out with ReleaseEach.
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessel {
class TxdataValue;
}

namespace tessel::xml_detail {

class ChildList {
public:
    ChildList() = default;
    ~ChildList();
    ChildList(const ChildList&) = delete;
    ChildList& operator=(const ChildList&) = delete;

    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    TxdataValue* operator[](size_t index) const { return begin()[index]; }
    TxdataValue* const* begin() const { return capacity_ <= 1 ? &one_ : many_; }
    TxdataValue* const* end() const { return begin() + size_; }

    void push_back(std::unique_ptr<TxdataValue> child);
    // Takes the child out of the list; the caller owns it. Null when it is not in the list.
    std::unique_ptr<TxdataValue> Remove(const TxdataValue* child);
    // Hands each child to `take`, which owns it from then on, and empties the list.
    template <class Take>
    void ReleaseEach(Take&& take) {
        for (TxdataValue* child : *this) take(child);
        ReleaseBlock();
    }

private:
    TxdataValue** Slots() { return capacity_ <= 1 ? &one_ : many_; }
    void Grow();
    void ReleaseBlock();

    union {
        TxdataValue* one_ = nullptr;
        TxdataValue** many_;
    };
    uint32_t size_ = 0;
    uint32_t capacity_ = 1;  // 1: the one child in place; above: many_ holds that many slots
};

}  // namespace tessel::xml_detail
