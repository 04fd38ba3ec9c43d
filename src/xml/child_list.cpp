#include "xml/child_list.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "xml/node_pool.h"
#include "xml/xdata_value.h"

namespace tessel::xml_detail {

namespace {

constexpr uint32_t kFirstBlock = 4;

}  // namespace

ChildList::~ChildList() {
    // TxdataNode empties the list before it goes; anything left is freed here.
    for (TxdataValue* child : *this) delete child;
    ReleaseBlock();
}

void ChildList::Grow() {
    if (capacity_ > UINT32_MAX / 2) throw std::bad_alloc();
    const uint32_t capacity = capacity_ <= 1 ? kFirstBlock : 2 * capacity_;
    auto** block = static_cast<TxdataValue**>(AllocateNodeMemory(capacity * sizeof(TxdataValue*)));
    const uint32_t size = size_;
    std::memcpy(block, Slots(), size * sizeof(TxdataValue*));
    ReleaseBlock();
    many_ = block;
    capacity_ = capacity;
    size_ = size;
}

void ChildList::push_back(std::unique_ptr<TxdataValue> child) {
    if (size_ == capacity_) Grow();
    Slots()[size_++] = child.release();
}

std::unique_ptr<TxdataValue> ChildList::Remove(const TxdataValue* child) {
    TxdataValue** slots = Slots();
    TxdataValue** found = std::find(slots, slots + size_, child);
    if (found == slots + size_) return nullptr;
    std::unique_ptr<TxdataValue> taken(*found);
    std::memmove(found, found + 1, (slots + size_ - found - 1) * sizeof(TxdataValue*));
    --size_;
    return taken;
}

void ChildList::ReleaseBlock() {
    if (capacity_ > 1) FreeNodeMemory(many_, capacity_ * sizeof(TxdataValue*));
    one_ = nullptr;
    size_ = 0;
    capacity_ = 1;
}

}  // namespace tessel::xml_detail
