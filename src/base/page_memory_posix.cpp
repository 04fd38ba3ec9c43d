#include "base/page_memory.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <mutex>

namespace tessel {

namespace {

// Blocks are cut from runs of kRunBlocks mapped at once, filled in by the kernel in the same
// call, and freed blocks are unmapped a batch at a time, neighbours in one call: a large tree
// takes and gives back hundreds of blocks, and a system call (with its page-table work) for
// each would cost more than building the tree.
constexpr std::size_t kRunBlocks = 16;
constexpr std::size_t kPendingBlocks = 64;

struct Blocks {
    std::mutex lock;
    char* next = nullptr;  // the current run's blocks not handed out yet
    std::size_t left = 0;
    char* pending[kPendingBlocks];  // freed, not unmapped yet
    std::size_t pendingCount = 0;
};

Blocks& PageBlocks() {
    static Blocks* blocks = new Blocks;  // never destroyed: blocks may be freed while the process ends
    return *blocks;
}

void UnmapPending(Blocks& blocks) {
    std::sort(blocks.pending, blocks.pending + blocks.pendingCount);
    for (std::size_t i = 0; i < blocks.pendingCount;) {
        std::size_t j = i + 1;
        while (j < blocks.pendingCount && blocks.pending[j] == blocks.pending[j - 1] + kPageBlockSize) ++j;
        munmap(blocks.pending[i], (j - i) * kPageBlockSize);
        i = j;
    }
    blocks.pendingCount = 0;
}

char* MapRun() {
    // One block more is mapped so that an aligned run lies inside; the rest is unmapped again,
    // before anything is filled in: the run alone is populated, in one call where the kernel
    // offers it (pages it does not fill come on first touch).
    const std::size_t span = (kRunBlocks + 1) * kPageBlockSize;
    void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kPageBlockSize - 1) & ~(std::uintptr_t{kPageBlockSize} - 1);
    const std::uintptr_t end = start + span;
    const std::uintptr_t runEnd = aligned + kRunBlocks * kPageBlockSize;
    if (aligned > start) munmap(mapped, aligned - start);
    if (end > runEnd) munmap(reinterpret_cast<void*>(runEnd), end - runEnd);
#ifdef MADV_POPULATE_WRITE
    madvise(reinterpret_cast<void*>(aligned), kRunBlocks * kPageBlockSize, MADV_POPULATE_WRITE);
#endif
    return reinterpret_cast<char*>(aligned);
}

}  // namespace

void* AllocatePageBlock() noexcept {
    Blocks& blocks = PageBlocks();
    std::lock_guard<std::mutex> guard(blocks.lock);
    if (blocks.left == 0) {
        blocks.next = MapRun();
        if (!blocks.next) return nullptr;
        blocks.left = kRunBlocks;
    }
    void* block = blocks.next;
    blocks.next += kPageBlockSize;
    --blocks.left;
    return block;
}

void FreePageBlock(void* block) noexcept {
    if (!block) return;
    Blocks& blocks = PageBlocks();
    std::lock_guard<std::mutex> guard(blocks.lock);
    blocks.pending[blocks.pendingCount++] = static_cast<char*>(block);
    if (blocks.pendingCount == kPendingBlocks) UnmapPending(blocks);
}

void ReleaseFreedPageBlocks() noexcept {
    Blocks& blocks = PageBlocks();
    std::lock_guard<std::mutex> guard(blocks.lock);
    UnmapPending(blocks);
}

void* AllocatePages(std::size_t bytes) noexcept {
    void* pages = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    return pages == MAP_FAILED ? nullptr : pages;
}

void FreePages(void* pages, std::size_t bytes) noexcept {
    if (pages) munmap(pages, bytes);
}

}  // namespace tessel
