#pragma once
// An ordered list of byte strings kept in one buffer, each behind its 32-bit length: a node's
// 8-bit attribute entries cost one allocation together instead of one each, which matters when
// a feed of thousands of entries is parsed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "xml/node_pool.h"

namespace tessel::xml_detail {

class PackedEntries {
public:
    size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    std::string_view At(size_t index) const;

    // Appends name + "=\"" + value + "\"".
    void AppendEntry(std::string_view name, std::string_view value);
    void Replace(size_t index, std::string_view name, std::string_view value);
    void Erase(size_t index);
    // Room for entries of this many bytes in all, lengths and quotes included.
    void Reserve(size_t bytes) { data_.reserve(data_.size() + bytes); }
    static constexpr size_t kEntryOverhead = sizeof(uint32_t) + 3;
    void Clear() {
        data_.clear();
        count_ = 0;
    }

    // Forward iteration without the walk At() does.
    class Cursor {
    public:
        explicit Cursor(const PooledBytes& data) : data_(data) {}
        bool Next(std::string_view& entry);

    private:
        const PooledBytes& data_;
        size_t offset_ = 0;
    };
    Cursor Entries() const { return Cursor(data_); }

private:
    // Offset of the length field of entry `index`.
    size_t OffsetOf(size_t index) const;
    static uint32_t LengthAt(const PooledBytes& data, size_t offset);
    static PooledBytes Encode(std::string_view name, std::string_view value);

    PooledBytes data_;
    uint32_t count_ = 0;
};

}  // namespace tessel::xml_detail
