#pragma once
// Memory for tree nodes and content pieces. A parsed feed makes and frees hundreds of thousands
// of these small objects; taking them from chunks of fixed-size blocks keeps the general
// allocator out of the hot loops. Each chunk is a page block of its own (base/page_memory.h) and
// goes back to the system as soon as its last block is freed, so the memory of a large tree
// leaves the process with the tree. Sanitizer builds use the general allocator, so that a use
// after free is still caught.
#include <cstddef>
#include <string>

namespace tessel::xml_detail {

void* AllocateNodeMemory(std::size_t size);
void FreeNodeMemory(void* block, std::size_t size) noexcept;
// True when blocks of this size come from the pool. A pooled block may be freed with any size
// that is pooled too: its chunk knows the size of its blocks. So an object may share its block
// with bytes after it and still be freed as an object of its own size.
bool PoolsSize(std::size_t size) noexcept;
// The page blocks the pool holds, spares included; 0 in sanitizer builds, which do not pool.
std::size_t NodeMemoryBlocks();
// Gives the empty blocks the pool keeps for the next tree back to the system: after a large
// load that leaves little behind, they would stay in the process for nothing.
void ReleaseSpareNodeMemory();

// Holds the pool for the calling thread while a tree is built or freed, so that the many blocks
// taken and given back meanwhile skip the pool's lock one by one. Other threads that need the
// pool wait until the batch ends. Batches nest on one thread.
class NodeMemoryBatch {
public:
    NodeMemoryBatch();
    ~NodeMemoryBatch();
    NodeMemoryBatch(const NodeMemoryBatch&) = delete;
    NodeMemoryBatch& operator=(const NodeMemoryBatch&) = delete;
};

// The same pool for the containers inside a tree: child lists, attribute buffers, piece texts.
template <class T>
struct PoolAllocator {
    using value_type = T;
    PoolAllocator() = default;
    template <class U>
    PoolAllocator(const PoolAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(AllocateNodeMemory(n * sizeof(T))); }
    void deallocate(T* block, std::size_t n) noexcept { FreeNodeMemory(block, n * sizeof(T)); }
    template <class U>
    bool operator==(const PoolAllocator<U>&) const noexcept { return true; }
};

using PooledU16String = std::basic_string<char16_t, std::char_traits<char16_t>, PoolAllocator<char16_t>>;
using PooledBytes = std::basic_string<char, std::char_traits<char>, PoolAllocator<char>>;

}  // namespace tessel::xml_detail
