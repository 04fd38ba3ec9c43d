#pragma once
// A text in memory read as a file is read in pieces: at most `step` bytes a read, so that a test
// can have the reads split the text anywhere.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>

#include "base/crlf_pieces.h"

namespace tessel::testing {

class TextReader final : public ByteReader {
public:
    explicit TextReader(std::string text, size_t step = std::numeric_limits<size_t>::max())
        : text_(std::move(text)), step_(step) {}

    size_t Read(char* into, size_t size) override {
        const size_t n = ReadAt(at_, into, size);
        at_ += n;
        return n;
    }

    size_t ReadAt(uint64_t offset, char* into, size_t size) override {
        if (offset >= text_.size()) return 0;
        const size_t n = std::min({size, step_, text_.size() - size_t(offset)});
        std::memcpy(into, text_.data() + offset, n);
        return n;
    }

private:
    std::string text_;
    size_t step_;
    size_t at_ = 0;
};

}  // namespace tessel::testing
