#pragma once
// Blocks of whole pages straight from the operating system, aligned to their own size, so that
// memory handed back is returned to the system at once rather than kept in the C runtime's heap.
// The XML node pool takes its chunks here: a cached feed of thousands of events builds a tree of
// tens of megabytes that must not stay in the process once its events are read.
#include <cstddef>

namespace tessel {

// The size and the alignment of every block.
inline constexpr std::size_t kPageBlockSize = 64 * 1024;

// A zero-filled block of kPageBlockSize bytes at an address that is a multiple of that size;
// null when the system has no memory left.
void* AllocatePageBlock() noexcept;
// A freed block may stay mapped for a while, so that neighbours go back to the system together;
// ReleaseFreedPageBlocks returns every block freed so far.
void FreePageBlock(void* block) noexcept;
void ReleaseFreedPageBlocks() noexcept;

// Whole pages for a buffer of any size that lives for a while only (a file read in pieces): freed,
// they leave the process at once, where the heap would keep them for its next allocations. Null
// when the system has no memory left.
void* AllocatePages(std::size_t bytes) noexcept;
void FreePages(void* pages, std::size_t bytes) noexcept;

}  // namespace tessel
