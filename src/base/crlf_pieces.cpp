#include "base/crlf_pieces.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "base/page_memory.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace tessel {

const char* NextLineBreak(const char* p, const char* end) {
#ifdef __SSE2__
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int mask = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf)));
        if (mask != 0) return p + __builtin_ctz(unsigned(mask));
    }
#endif
    while (p != end && *p != '\r' && *p != '\n') ++p;
    return p;
}

// Sanitizer builds take the buffer from the heap, so that a read past it is caught.
#if defined(__SANITIZE_ADDRESS__)
#define TESSEL_PIECE_PAGES 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TESSEL_PIECE_PAGES 0
#endif
#endif
#ifndef TESSEL_PIECE_PAGES
#define TESSEL_PIECE_PAGES 1
#endif

CrLfPieces::Buffer::Buffer(size_t bytes) : Bytes(bytes) {
#if TESSEL_PIECE_PAGES
    Data = static_cast<char*>(AllocatePages(bytes));
    if (!Data) throw std::bad_alloc();
#else
    Data = new char[bytes];
#endif
}

CrLfPieces::Buffer& CrLfPieces::Buffer::operator=(Buffer&& other) noexcept {
    std::swap(Data, other.Data);
    std::swap(Bytes, other.Bytes);
    return *this;
}

CrLfPieces::Buffer::~Buffer() {
#if TESSEL_PIECE_PAGES
    FreePages(Data, Bytes);
#else
    delete[] Data;
#endif
}

CrLfPieces::CrLfPieces(std::unique_ptr<ByteReader> reader, size_t pieceBytes)
    : reader_(std::move(reader)), pieceBytes_(std::max<size_t>(pieceBytes, 1)) {}

CrLfPieces::~CrLfPieces() = default;

void CrLfPieces::Reserve(size_t capacity, size_t used) {
    if (capacity <= buffer_.Bytes) return;
    Buffer larger(capacity);
    if (used > 0) std::memcpy(larger.Data, buffer_.Data, used);
    buffer_ = std::move(larger);
}

void CrLfPieces::Next(size_t keep) {
    if (whole_) return;
    keep = std::min(keep, size_);
    if (keep > 0) {
        std::memmove(buffer_.Data, buffer_.Data + keep, size_ - keep);
        size_ -= keep;
        offset_ += keep;
    }
    const size_t want = std::max(pieceBytes_, size_);
    // Two bytes more for the break the end may add.
    Reserve(size_ + want + 2, size_);
    size_t got = 0;
    while (got < want) {
        const size_t n = reader_->Read(buffer_.Data + size_ + got, want - got);
        if (n == 0) break;
        got += n;
    }
    TakeRead(got);
    if (got < want) Finish();
}

// The bytes just read after the text held are in CR LF form as a rule (every file the program
// writes is): then they stay where they are, after one scan. From the first place that needs a
// change on, the rest is moved out of the way and converted back in.
void CrLfPieces::TakeRead(size_t size) {
    if (size == 0) return;
    char* const start = buffer_.Data + size_;
    const char* const end = start + size;
    rawSize_ += size;
    lastRaw_ = end[-1];
    const char* p = start;
    if (crOpen_ && *p == '\n') {
        crOpen_ = false;
        ++p;
    }
    while (!crOpen_) {
        const char* const br = NextLineBreak(p, end);
        if (br == end) {
            size_ += size;
            return;
        }
        if (*br == '\r' && br + 1 == end) {
            ++crs_;
            crOpen_ = true;
            size_ += size;
            return;
        }
        if (*br != '\r' || br[1] != '\n') {
            p = br;
            break;
        }
        ++crs_;
        p = br + 2;
    }
    // A lone CR before these bytes, or a break here that is not CR LF.
    const size_t clean = size_t(p - start);
    moved_.assign(p, size_t(end - p));
    Reserve(size_ + clean + 2 * moved_.size() + 3, size_ + clean);
    char* const out = buffer_.Data + size_ + clean;
    size_ = size_t(Convert(moved_.data(), moved_.data() + moved_.size(), out) - buffer_.Data);
}

// Writes from..end to out with every break made CR LF; out has room for twice as many bytes
// and one more. A CR at the end leaves its LF to the next bytes, or to Finish.
char* CrLfPieces::Convert(const char* from, const char* end, char* out) {
    if (crOpen_ && from != end) {
        crOpen_ = false;
        *out++ = '\n';
        if (*from == '\n') ++from;
    }
    while (from != end) {
        const char* const br = NextLineBreak(from, end);
        std::memcpy(out, from, size_t(br - from));
        out += br - from;
        if (br == end) break;
        *out++ = '\r';
        ++crs_;
        if (*br == '\r' && br + 1 == end) {
            crOpen_ = true;
            break;
        }
        *out++ = '\n';
        from = br + (*br == '\r' && br[1] == '\n' ? 2 : 1);
    }
    return out;
}

void CrLfPieces::Finish() {
    whole_ = true;
    if (crOpen_) {
        buffer_.Data[size_++] = '\n';
        crOpen_ = false;
    } else if (rawSize_ > 0 && lastRaw_ != '\r' && lastRaw_ != '\n') {
        buffer_.Data[size_++] = '\r';
        buffer_.Data[size_++] = '\n';
        ++crs_;
    }
}

std::string CrLfPieces::TailBeforeBlanks(size_t count) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    // Back from the end, a block at a time, to the last byte that is not blank.
    uint64_t end = rawSize_;
    char block[4096];
    while (end > 0) {
        const uint64_t from = end - std::min<uint64_t>(end, sizeof block);
        const size_t n = size_t(end - from);
        size_t got = 0;
        while (got < n) {
            const size_t read = reader_->ReadAt(from + got, block + got, n - got);
            if (read == 0) return {};
            got += read;
        }
        size_t at = n;
        while (at > 0 && blank(block[at - 1])) --at;
        if (at > 0) {
            end = from + at;
            break;
        }
        end = from;
    }
    const uint64_t from = end - std::min<uint64_t>(end, count);
    std::string tail(size_t(end - from), '\0');
    size_t got = 0;
    while (got < tail.size()) {
        const size_t read = reader_->ReadAt(from + got, tail.data() + got, tail.size() - got);
        if (read == 0) return {};
        got += read;
    }
    return tail;
}

}  // namespace tessel
