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
// Inside this thread's outermost batch, between two pieces of work: when another thread waits
// for the pool, the batch lets it go until that thread has had it. Nothing otherwise.
void LetWaitingThreadsIn() noexcept;

// A large parsed tree's own memory. While a tree is built from a long text, every block its
// nodes, pieces, lists and texts take comes from chunks of the tree's own (and its long blocks
// are listed with it), so that freeing the whole tree gives the chunks back at once without
// visiting a node. That is only safe while the arena is whole: nothing in the tree holds memory
// from elsewhere and nothing of the arena lives outside the tree. Any change that could break
// that (a node taken out, a node or piece put in, a text or name or attribute set on a node of
// the tree) makes the arena broken for good, and the tree is then freed node by node as any
// other, its chunks going back as their last blocks do. Sanitizer builds have no arenas.
class NodeArena;
// The arena for a tree read from a text of this many bytes or more; a smaller tree is cheap to
// free node by node and would leave most of its chunks' room unused.
inline constexpr std::size_t kArenaTextBytes = 1024 * 1024;
// Null in sanitizer builds.
NodeArena* NewNodeArena();
bool ArenaWhole(const NodeArena* arena) noexcept;
void BreakArena(NodeArena* arena) noexcept;
// For a whole arena: its chunks and long blocks go back at once; nothing in them is visited.
void DropArena(NodeArena* arena) noexcept;
// The tree lets go of a broken arena: the blocks still live in it (nodes taken out of the tree)
// keep their chunks until they are freed; the arena goes with the last.
void ReleaseArena(NodeArena* arena) noexcept;
// True for an object whose block this thread's arena has just handed out: a node's or piece's
// constructor asks, so that a change made later to it can break its arena.
bool FromArena(const void* object) noexcept;
// A change to an object FromArena said true for. The building thread's own changes keep the
// arena whole, unless they take memory from elsewhere (`foreign`).
void NoteArenaChange(const void* object, bool foreign) noexcept;
// Whether the calling thread is building into the arena.
bool BuildingInto(const NodeArena* arena) noexcept;

// While it lives, the calling thread's node memory comes from the arena (or, for a null arena,
// from the shared pool: the builder's own changes to the top node, which the tree does not own).
class ArenaScope {
public:
    explicit ArenaScope(NodeArena* arena);
    ~ArenaScope();
    ArenaScope(const ArenaScope&) = delete;
    ArenaScope& operator=(const ArenaScope&) = delete;

private:
    NodeArena* outer_;
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
