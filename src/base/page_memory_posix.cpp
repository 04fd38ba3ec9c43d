#include "base/page_memory.h"

#include <sys/mman.h>

#include <cstdint>

namespace tessel {

void* AllocatePageBlock() noexcept {
    // Twice the size is mapped so that an aligned block lies inside; the rest is unmapped again.
    const std::size_t span = 2 * kPageBlockSize;
    void* mapped = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = (start + kPageBlockSize - 1) & ~(std::uintptr_t{kPageBlockSize} - 1);
    if (aligned > start) munmap(mapped, aligned - start);
    const std::uintptr_t end = start + span;
    if (end > aligned + kPageBlockSize) munmap(reinterpret_cast<void*>(aligned + kPageBlockSize), end - aligned - kPageBlockSize);
    return reinterpret_cast<void*>(aligned);
}

void FreePageBlock(void* block) noexcept {
    if (block) munmap(block, kPageBlockSize);
}

}  // namespace tessel
