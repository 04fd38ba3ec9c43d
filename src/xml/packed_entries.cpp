#include "xml/packed_entries.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "xml/node_pool.h"

namespace tessel::xml_detail {

uint32_t PackedEntries::LengthAt(size_t offset) const {
    uint32_t length;
    std::memcpy(&length, data_ + offset, sizeof length);
    return length;
}

size_t PackedEntries::OffsetOf(size_t index) const {
    size_t offset = 0;
    for (size_t i = 0; i < index; ++i) offset += sizeof(uint32_t) + LengthAt(offset);
    return offset;
}

std::string_view PackedEntries::At(size_t index) const {
    const size_t offset = OffsetOf(index);
    return Bytes().substr(offset + sizeof(uint32_t), LengthAt(offset));
}

size_t PackedEntries::EntrySize(std::string_view name, std::string_view value) {
    return sizeof(uint32_t) + name.size() + value.size() + 3;
}

char* PackedEntries::Write(char* out, std::string_view name, std::string_view value) {
    const auto length = static_cast<uint32_t>(name.size() + value.size() + 3);
    std::memcpy(out, &length, sizeof length);
    out += sizeof length;
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '=';
    *out++ = '"';
    std::memcpy(out, value.data(), value.size());
    out += value.size();
    *out++ = '"';
    return out;
}

char* PackedEntries::Open(size_t offset, size_t bytes) {
    const size_t size = size_ + bytes;
    if (size > UINT32_MAX) throw std::bad_alloc();
    if (size > capacity_) {
        // Exactly what the first tag needs; later additions through the API grow it by half.
        const size_t capacity = capacity_ == 0 ? size : std::max(size, size_t(capacity_) + capacity_ / 2);
        if (capacity > UINT32_MAX) throw std::bad_alloc();
        char* block = static_cast<char*>(AllocateNodeMemory(capacity));
        if (offset > 0) std::memcpy(block, data_, offset);
        if (size_ > offset) std::memcpy(block + offset + bytes, data_ + offset, size_ - offset);
        Release();
        data_ = block;
        capacity_ = static_cast<uint32_t>(capacity);
    } else if (size_ > offset) {
        std::memmove(data_ + offset + bytes, data_ + offset, size_ - offset);
    }
    size_ = static_cast<uint32_t>(size);
    return data_ + offset;
}

void PackedEntries::AppendEntry(std::string_view name, std::string_view value) {
    const Parts parts{name, value};
    AppendEntries(&parts, 1);
}

size_t PackedEntries::SizeOf(const Parts* parts, size_t count) {
    size_t bytes = 0;
    for (size_t i = 0; i < count; ++i) bytes += EntrySize(parts[i].name, parts[i].value);
    return bytes;
}

void PackedEntries::AppendEntries(const Parts* parts, size_t count) {
    char* out = Open(size_, SizeOf(parts, count));
    for (size_t i = 0; i < count; ++i) out = Write(out, parts[i].name, parts[i].value);
    count_ += static_cast<uint32_t>(count);
}

void PackedEntries::Replace(size_t index, std::string_view name, std::string_view value) {
    Erase(index);
    Write(Open(OffsetOf(index), EntrySize(name, value)), name, value);
    ++count_;
}

void PackedEntries::Erase(size_t index) {
    const size_t offset = OffsetOf(index);
    const size_t bytes = sizeof(uint32_t) + LengthAt(offset);
    std::memmove(data_ + offset, data_ + offset + bytes, size_ - offset - bytes);
    size_ -= static_cast<uint32_t>(bytes);
    --count_;
}

void PackedEntries::Release() {
    if (data_ && !trailing_) FreeNodeMemory(data_, capacity_);
    data_ = nullptr;
    size_ = capacity_ = 0;
    trailing_ = false;
}

bool PackedEntries::Cursor::Next(std::string_view& entry) {
    if (offset_ >= data_.size()) return false;
    uint32_t length;
    std::memcpy(&length, data_.data() + offset_, sizeof length);
    entry = data_.substr(offset_ + sizeof(uint32_t), length);
    offset_ += sizeof(uint32_t) + length;
    return true;
}

}  // namespace tessel::xml_detail
