#include "xml/node_pool.h"

#include <atomic>
#include <cstdint>
#include <new>
#include <thread>

#include "base/page_memory.h"

#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_XML_POOL 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_XML_POOL 0
#endif
#endif
#ifndef TESSEL_XML_POOL
#define TESSEL_XML_POOL 1
#endif

namespace tessel::xml_detail {

namespace {

constexpr std::size_t kGranule = 8;
constexpr std::size_t kLargestPooled = 256;
constexpr std::size_t kClasses = kLargestPooled / kGranule;

struct FreeBlock {
    FreeBlock* next;
};

// The head of a page block. Every chunk serves one block size; a block finds its chunk by
// rounding its address down to the block alignment.
struct Chunk {
    Chunk* prev;
    Chunk* next;
    FreeBlock* freeBlocks;
    char* untouched;  // blocks never handed out start here
    char* lastStart;  // the last place an untouched block fits
    std::uint32_t live;
    std::uint32_t sizeClass;
    std::uint32_t blockSize;
    NodeArena* arena;  // null for the shared pool's chunks
};

// In front of every block too long for the chunks: the arena that lists it, if any.
struct BigBlock {
    BigBlock* prev;
    BigBlock* next;
    NodeArena* arena;
    std::size_t reserved;
};
static_assert(sizeof(BigBlock) % 16 == 0, "blocks after the header keep new's alignment");

}  // namespace

// Chunks serve one size class each, as the shared pool's do, but are linked in the arena's own
// list and never lent to another tree. Long blocks are listed with the arena too.
class NodeArena {
public:
    Chunk* current[kClasses] = {};  // the chunk that hands out blocks of each class
    Chunk* chunks = nullptr;
    BigBlock* big = nullptr;
    std::atomic<bool> whole{true};
    bool held = true;  // by its tree
};

namespace {

constexpr std::size_t kHeaderSize = (sizeof(Chunk) + kGranule - 1) / kGranule * kGranule;

struct SizeClass {
    Chunk* withRoom;  // exactly the chunks in use that can hand out a block, most recently
                      // freed into first
    Chunk* spare;     // one empty chunk kept back, so that a tree built and freed over and
                      // over does not go to the system each time
};

// One pool for the process: a tree may be freed on another thread than the one that built it.
// Constant-initialised and trivially destructible, so blocks can be freed by objects that outlive
// every other static.
struct Pool {
    std::atomic_flag busy;
    std::atomic<int> waiting;  // threads spinning in Acquire
    SizeClass classes[kClasses];
    std::size_t blocks;
};
constinit Pool pool{};

void Acquire() {
    if (!pool.busy.test_and_set(std::memory_order_acquire)) return;
    pool.waiting.fetch_add(1, std::memory_order_relaxed);
    do {
        while (pool.busy.test(std::memory_order_relaxed)) std::this_thread::yield();
    } while (pool.busy.test_and_set(std::memory_order_acquire));
    pool.waiting.fetch_sub(1, std::memory_order_relaxed);
}

void Release() { pool.busy.clear(std::memory_order_release); }

// How deeply this thread's batches nest; above 0 it holds the lock.
thread_local int batchDepth = 0;
// The arena this thread builds into, and the last object block it handed out.
thread_local NodeArena* buildingArena = nullptr;
thread_local const void* lastArenaBlock = nullptr;

bool InBatch() { return batchDepth > 0; }

// Takes the lock unless this thread holds it for a batch already.
class PoolLock {
public:
    PoolLock() : batched_(InBatch()) {
        if (!batched_) Acquire();
    }
    ~PoolLock() {
        if (!batched_) Release();
    }
    PoolLock(const PoolLock&) = delete;
    PoolLock& operator=(const PoolLock&) = delete;

private:
    bool batched_;
};

// Sizes 1..kLargestPooled; a size of 0 wraps around and is not pooled.
bool Pooled(std::size_t size) { return TESSEL_XML_POOL && size - 1 < kLargestPooled; }
std::size_t ClassOf(std::size_t size) { return (size - 1) / kGranule; }
Chunk* ChunkOf(void* block) {
    return reinterpret_cast<Chunk*>(reinterpret_cast<std::uintptr_t>(block) & ~(std::uintptr_t{kPageBlockSize} - 1));
}

void Link(SizeClass& owner, Chunk& chunk) {
    chunk.prev = nullptr;
    chunk.next = owner.withRoom;
    if (owner.withRoom) owner.withRoom->prev = &chunk;
    owner.withRoom = &chunk;
}

void Unlink(SizeClass& owner, Chunk& chunk) {
    if (chunk.prev) chunk.prev->next = chunk.next;
    else owner.withRoom = chunk.next;
    if (chunk.next) chunk.next->prev = chunk.prev;
    chunk.prev = chunk.next = nullptr;
}

void Reset(Chunk& chunk, std::size_t sizeClass, NodeArena* arena) {
    chunk.arena = arena;
    chunk.prev = chunk.next = nullptr;
    chunk.freeBlocks = nullptr;
    chunk.untouched = reinterpret_cast<char*>(&chunk) + kHeaderSize;
    chunk.live = 0;
    chunk.sizeClass = static_cast<std::uint32_t>(sizeClass);
    chunk.blockSize = static_cast<std::uint32_t>((sizeClass + 1) * kGranule);
    chunk.lastStart = reinterpret_cast<char*>(&chunk) + kPageBlockSize - chunk.blockSize;
}

bool HasRoom(const Chunk& chunk) { return chunk.freeBlocks || chunk.untouched <= chunk.lastStart; }

// The class has no chunk with room: its spare, or a new one.
[[gnu::noinline]] Chunk* AddChunk(SizeClass& owner, std::size_t sizeClass) {
    Chunk* chunk = owner.spare;
    owner.spare = nullptr;
    if (!chunk) {
        chunk = static_cast<Chunk*>(AllocatePageBlock());
        if (!chunk) throw std::bad_alloc();
        ++pool.blocks;
    }
    Reset(*chunk, sizeClass, nullptr);
    Link(owner, *chunk);
    return chunk;
}

void* TakeBlock(Chunk& chunk) {
    void* block;
    if (FreeBlock* freed = chunk.freeBlocks) {
        block = freed;
        chunk.freeBlocks = freed->next;
    } else {
        block = chunk.untouched;
        chunk.untouched += chunk.blockSize;
    }
    ++chunk.live;
    return block;
}

void* AllocateBig(std::size_t size, NodeArena* arena) {
    auto* header = static_cast<BigBlock*>(::operator new(sizeof(BigBlock) + size));
    header->arena = arena;
    header->prev = nullptr;
    header->next = nullptr;
    if (arena) {
        PoolLock lock;
        header->next = arena->big;
        if (arena->big) arena->big->prev = header;
        arena->big = header;
    }
    return header + 1;
}

void FreeArenaIfDone(NodeArena* arena) {
    if (!arena->held && !arena->chunks && !arena->big) delete arena;
}

void UnlinkArenaChunk(NodeArena& arena, Chunk& chunk) {
    if (chunk.prev) chunk.prev->next = chunk.next;
    else arena.chunks = chunk.next;
    if (chunk.next) chunk.next->prev = chunk.prev;
    if (arena.current[chunk.sizeClass] == &chunk) arena.current[chunk.sizeClass] = nullptr;
    FreePageBlock(&chunk);
    --pool.blocks;
}

void FreeBig(void* block) {
    BigBlock* header = static_cast<BigBlock*>(block) - 1;
    if (NodeArena* arena = header->arena) {
        PoolLock lock;
        if (header->prev) header->prev->next = header->next;
        else arena->big = header->next;
        if (header->next) header->next->prev = header->prev;
        FreeArenaIfDone(arena);
    }
    ::operator delete(header);
}

void* ArenaAllocate(NodeArena& arena, std::size_t size) {
    if (!Pooled(size)) return AllocateBig(size, &arena);
    const std::size_t sizeClass = ClassOf(size);
    PoolLock lock;
    Chunk* chunk = arena.current[sizeClass];
    if (!chunk || !HasRoom(*chunk)) {
        chunk = static_cast<Chunk*>(AllocatePageBlock());
        if (!chunk) throw std::bad_alloc();
        ++pool.blocks;
        Reset(*chunk, sizeClass, &arena);
        chunk->next = arena.chunks;
        if (arena.chunks) arena.chunks->prev = chunk;
        arena.chunks = chunk;
        arena.current[sizeClass] = chunk;
    }
    void* block = TakeBlock(*chunk);
    lastArenaBlock = block;
    return block;
}

// Under the lock. A chunk the arena no longer hands blocks out of goes back with its last block.
void ArenaFree(Chunk& chunk, void* block) {
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = chunk.freeBlocks;
    chunk.freeBlocks = freed;
    if (--chunk.live > 0) return;
    NodeArena& arena = *chunk.arena;
    if (arena.held && arena.current[chunk.sizeClass] == &chunk) return;
    UnlinkArenaChunk(arena, chunk);
    FreeArenaIfDone(&arena);
}

}  // namespace

void* AllocateNodeMemory(std::size_t size) {
    if (!TESSEL_XML_POOL) return ::operator new(size);
    if (NodeArena* arena = buildingArena) return ArenaAllocate(*arena, size);
    if (!Pooled(size)) return AllocateBig(size, nullptr);
    const std::size_t sizeClass = ClassOf(size);
    PoolLock lock;
    SizeClass& owner = pool.classes[sizeClass];
    Chunk& chunk = owner.withRoom ? *owner.withRoom : *AddChunk(owner, sizeClass);
    void* block = TakeBlock(chunk);
    if (!HasRoom(chunk)) Unlink(owner, chunk);
    return block;
}

void FreeNodeMemory(void* block, std::size_t size) noexcept {
    if (!block) return;
    if (!TESSEL_XML_POOL) {
        ::operator delete(block);
        return;
    }
    if (!Pooled(size)) {
        FreeBig(block);
        return;
    }
    Chunk& chunk = *ChunkOf(block);
    PoolLock lock;
    if (chunk.arena) {
        ArenaFree(chunk, block);
        return;
    }
    SizeClass& owner = pool.classes[chunk.sizeClass];
    // A chunk leaves the list when it fills up, so a full one comes back with this block.
    const bool wasFull = !HasRoom(chunk);
    auto* freed = static_cast<FreeBlock*>(block);
    freed->next = chunk.freeBlocks;
    chunk.freeBlocks = freed;
    --chunk.live;
    if (wasFull) Link(owner, chunk);
    if (chunk.live > 0) return;
    // Empty: the chunk goes back to the system, or becomes the class's spare.
    Unlink(owner, chunk);
    if (owner.spare) {
        FreePageBlock(&chunk);
        --pool.blocks;
    } else {
        owner.spare = &chunk;
    }
}

bool PoolsSize(std::size_t size) noexcept { return Pooled(size); }

NodeArena* NewNodeArena() { return TESSEL_XML_POOL ? new NodeArena : nullptr; }

bool ArenaWhole(const NodeArena* arena) noexcept { return arena->whole.load(std::memory_order_relaxed); }

void BreakArena(NodeArena* arena) noexcept {
    // Written only while whole: a broken arena may be read by a thread freeing its tree while a
    // node taken out of it changes on another.
    if (arena->whole.load(std::memory_order_relaxed)) arena->whole.store(false, std::memory_order_relaxed);
}

void DropArena(NodeArena* arena) noexcept {
    {
        PoolLock lock;
        for (Chunk* chunk = arena->chunks; chunk;) {
            Chunk* next = chunk->next;
            FreePageBlock(chunk);
            --pool.blocks;
            chunk = next;
        }
        for (BigBlock* big = arena->big; big;) {
            BigBlock* next = big->next;
            ::operator delete(big);
            big = next;
        }
    }
    delete arena;
    if (!InBatch()) ReleaseFreedPageBlocks();
}

void ReleaseArena(NodeArena* arena) noexcept {
    {
        PoolLock lock;
        arena->held = false;
        for (Chunk* chunk = arena->chunks; chunk;) {
            Chunk* next = chunk->next;
            if (chunk->live == 0) UnlinkArenaChunk(*arena, *chunk);
            chunk = next;
        }
        for (Chunk*& current : arena->current) current = nullptr;
        FreeArenaIfDone(arena);
    }
    if (!InBatch()) ReleaseFreedPageBlocks();
}

bool FromArena(const void* object) noexcept {
    if (!TESSEL_XML_POOL || object != lastArenaBlock) return false;
    lastArenaBlock = nullptr;
    return true;
}

void NoteArenaChange(const void* object, bool foreign) noexcept {
    NodeArena* arena = ChunkOf(const_cast<void*>(object))->arena;
    if (foreign || arena != buildingArena) BreakArena(arena);
}

bool BuildingInto(const NodeArena* arena) noexcept { return arena == buildingArena; }

// The last block is forgotten on the way in and out: its page may be unmapped and mapped again
// for the shared pool, and an object made there later must not take itself for the arena's.
ArenaScope::ArenaScope(NodeArena* arena) : outer_(buildingArena) {
    buildingArena = arena;
    lastArenaBlock = nullptr;
}

ArenaScope::~ArenaScope() {
    buildingArena = outer_;
    lastArenaBlock = nullptr;
}

NodeMemoryBatch::NodeMemoryBatch() {
    if (!TESSEL_XML_POOL) return;
    if (batchDepth++ == 0) Acquire();
}

NodeMemoryBatch::~NodeMemoryBatch() {
    if (!TESSEL_XML_POOL || --batchDepth > 0) return;
    Release();
    ReleaseFreedPageBlocks();
}

void LetWaitingThreadsIn() noexcept {
    if (!TESSEL_XML_POOL || batchDepth != 1 || pool.waiting.load(std::memory_order_relaxed) == 0) return;
    const int waiting = pool.waiting.load(std::memory_order_relaxed);
    Release();
    // One of them takes the lock and stops waiting; a bounded number of turns, should it be slow
    // to run.
    for (int turn = 0; turn < 1000 && pool.waiting.load(std::memory_order_relaxed) >= waiting; ++turn)
        std::this_thread::yield();
    Acquire();
}

void ReleaseSpareNodeMemory() {
    if (!TESSEL_XML_POOL) return;
    {
        PoolLock lock;
        for (SizeClass& owner : pool.classes) {
            if (!owner.spare) continue;
            FreePageBlock(owner.spare);
            owner.spare = nullptr;
            --pool.blocks;
        }
    }
    if (!InBatch()) ReleaseFreedPageBlocks();
}

std::size_t NodeMemoryBlocks() {
    PoolLock lock;
    return pool.blocks;
}

}  // namespace tessel::xml_detail
