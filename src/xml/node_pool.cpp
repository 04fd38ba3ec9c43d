#include "xml/node_pool.h"

#include <new>

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

constexpr std::size_t kGranule = 16;
constexpr std::size_t kLargestPooled = 256;
constexpr std::size_t kClasses = kLargestPooled / kGranule;
constexpr std::size_t kChunkSize = 64 * 1024;

struct FreeBlock {
    FreeBlock* next;
};

// Trivially destructible on purpose: blocks may be freed by objects that outlive the thread's
// other statics.
struct Pool {
    FreeBlock* heads[kClasses];
    char* chunkCursor;
    std::size_t chunkLeft;
};

thread_local Pool pool{};

std::size_t ClassOf(std::size_t size) { return (size + kGranule - 1) / kGranule - 1; }

}  // namespace

void* AllocateNodeMemory(std::size_t size) {
    if (!TESSEL_XML_POOL || size == 0 || size > kLargestPooled) return ::operator new(size);
    const std::size_t index = ClassOf(size);
    if (FreeBlock* block = pool.heads[index]) {
        pool.heads[index] = block->next;
        return block;
    }
    const std::size_t blockSize = (index + 1) * kGranule;
    if (pool.chunkLeft < blockSize) {
        pool.chunkCursor = static_cast<char*>(::operator new(kChunkSize));
        pool.chunkLeft = kChunkSize;
    }
    void* block = pool.chunkCursor;
    pool.chunkCursor += blockSize;
    pool.chunkLeft -= blockSize;
    return block;
}

void FreeNodeMemory(void* block, std::size_t size) noexcept {
    if (!block) return;
    if (!TESSEL_XML_POOL || size == 0 || size > kLargestPooled) {
        ::operator delete(block);
        return;
    }
    auto* freed = static_cast<FreeBlock*>(block);
    const std::size_t index = ClassOf(size);
    freed->next = pool.heads[index];
    pool.heads[index] = freed;
}

}  // namespace tessel::xml_detail
