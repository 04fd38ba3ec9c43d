#pragma once
// An ordered list of byte strings kept in one buffer, each behind its 32-bit length: a node's
// 8-bit attribute entries cost one allocation together instead of one each, which matters when
// a feed of thousands of entries is parsed. The buffer is a block of the node pool of just the
// size a start tag's attributes need.
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tessel::xml_detail {

class PackedEntries {
public:
    PackedEntries() = default;
    ~PackedEntries() { Release(); }
    PackedEntries(const PackedEntries&) = delete;
    PackedEntries& operator=(const PackedEntries&) = delete;

    size_t Count() const { return count_; }
    bool Empty() const { return count_ == 0; }
    std::string_view At(size_t index) const;

    struct Parts {
        std::string_view name;
        std::string_view value;
    };

    // Appends name + "=\"" + value + "\"".
    void AppendEntry(std::string_view name, std::string_view value);
    // Appends the entries with one allocation: a start tag's attributes.
    void AppendEntries(const Parts* parts, size_t count);
    // The bytes the entries take, lengths and quotes included.
    static size_t SizeOf(const Parts* parts, size_t count);
    // Takes room that lies in its owner's own block, after the owner, for entries of that many
    // bytes: it goes with that block. Only for a list that holds nothing yet; a list that
    // outgrows the room moves to a block of its own.
    void TakeTrailingRoom(char* room, size_t bytes) {
        data_ = room;
        capacity_ = static_cast<uint32_t>(bytes);
        trailing_ = true;
    }
    void Replace(size_t index, std::string_view name, std::string_view value);
    void Erase(size_t index);
    void Clear() {
        size_ = 0;
        count_ = 0;
    }

    // Forward iteration without the walk At() does.
    class Cursor {
    public:
        explicit Cursor(std::string_view data) : data_(data) {}
        bool Next(std::string_view& entry);

    private:
        std::string_view data_;
        size_t offset_ = 0;
    };
    Cursor Entries() const { return Cursor(Bytes()); }

private:
    std::string_view Bytes() const { return std::string_view(data_, size_); }
    // Offset of the length field of entry `index`.
    size_t OffsetOf(size_t index) const;
    uint32_t LengthAt(size_t offset) const;
    // Makes room for `bytes` more bytes at `offset`, moving what follows; the room is not filled.
    char* Open(size_t offset, size_t bytes);
    static size_t EntrySize(std::string_view name, std::string_view value);
    static char* Write(char* out, std::string_view name, std::string_view value);
    void Release();

    char* data_ = nullptr;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;
    uint32_t count_ = 0;
    bool trailing_ = false;  // data_ lies in the owner's block (TakeTrailingRoom)
};

}  // namespace tessel::xml_detail
