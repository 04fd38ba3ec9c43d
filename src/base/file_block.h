#pragma once
// A file's bytes in a buffer that is not zero-filled before the read fills it: a document of
// megabytes that is parsed once and dropped need not pay for clearing its memory first.
#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

namespace tessel {

class FileBlock {
public:
    size_t size() const { return size_; }
    char* data() { return bytes_.get(); }
    const char* data() const { return bytes_.get(); }
    std::string_view View() const { return std::string_view(bytes_.get(), size_); }

    // Keeps the first bytes; the bytes added are left as they are, to be read into.
    void resize(size_t size) {
        if (size > capacity_) {
            std::unique_ptr<char[]> larger(new char[size]);
            if (size_ > 0) std::memcpy(larger.get(), bytes_.get(), size_);
            bytes_ = std::move(larger);
            capacity_ = size;
        }
        size_ = size;
    }

private:
    std::unique_ptr<char[]> bytes_;
    size_t size_ = 0;
    size_t capacity_ = 0;
};

}  // namespace tessel
