#include <windows.h>

#include <cstdint>

#include "base/page_memory.h"

namespace tessel {

namespace {

bool Aligned(void* block) { return (reinterpret_cast<std::uintptr_t>(block) & (kPageBlockSize - 1)) == 0; }

}  // namespace

void* AllocatePageBlock() noexcept {
    // The allocation granularity is 64 KiB on every Windows version, so the first answer is
    // aligned; the loop below only serves a system where it is not.
    void* block = VirtualAlloc(nullptr, kPageBlockSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!block || Aligned(block)) return block;
    VirtualFree(block, 0, MEM_RELEASE);
    for (int attempt = 0; attempt < 8; ++attempt) {
        // Find a free range that holds an aligned block, give it back and claim the aligned part;
        // another thread may take the range in between, hence the attempts.
        void* range = VirtualAlloc(nullptr, 2 * kPageBlockSize, MEM_RESERVE, PAGE_NOACCESS);
        if (!range) return nullptr;
        const auto start = reinterpret_cast<std::uintptr_t>(range);
        auto* aligned = reinterpret_cast<void*>((start + kPageBlockSize - 1) & ~(std::uintptr_t{kPageBlockSize} - 1));
        VirtualFree(range, 0, MEM_RELEASE);
        block = VirtualAlloc(aligned, kPageBlockSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
        if (block) return block;
    }
    return nullptr;
}

void FreePageBlock(void* block) noexcept {
    if (block) VirtualFree(block, 0, MEM_RELEASE);
}

// Each block is its own reservation here and goes back at once.
void ReleaseFreedPageBlocks() noexcept {}

void* AllocatePages(std::size_t bytes) noexcept {
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void FreePages(void* pages, std::size_t) noexcept {
    if (pages) VirtualFree(pages, 0, MEM_RELEASE);
}

}  // namespace tessel
