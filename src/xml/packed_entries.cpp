#include "xml/packed_entries.h"

#include <cstring>

namespace tessel::xml_detail {

uint32_t PackedEntries::LengthAt(const PooledBytes& data, size_t offset) {
    uint32_t length;
    std::memcpy(&length, data.data() + offset, sizeof length);
    return length;
}

size_t PackedEntries::OffsetOf(size_t index) const {
    size_t offset = 0;
    for (size_t i = 0; i < index; ++i) offset += sizeof(uint32_t) + LengthAt(data_, offset);
    return offset;
}

std::string_view PackedEntries::At(size_t index) const {
    const size_t offset = OffsetOf(index);
    return std::string_view(data_.data(), data_.size()).substr(offset + sizeof(uint32_t), LengthAt(data_, offset));
}

PooledBytes PackedEntries::Encode(std::string_view name, std::string_view value) {
    const auto length = static_cast<uint32_t>(name.size() + value.size() + 3);
    PooledBytes out(sizeof length, '\0');
    std::memcpy(out.data(), &length, sizeof length);
    out.reserve(sizeof length + length);
    out.append(name).append("=\"").append(value).push_back('"');
    return out;
}

void PackedEntries::AppendEntry(std::string_view name, std::string_view value) {
    const auto length = static_cast<uint32_t>(name.size() + value.size() + 3);
    const size_t start = data_.size();
    data_.resize(start + sizeof length + length);
    char* out = data_.data() + start;
    std::memcpy(out, &length, sizeof length);
    out += sizeof length;
    std::memcpy(out, name.data(), name.size());
    out += name.size();
    *out++ = '=';
    *out++ = '"';
    std::memcpy(out, value.data(), value.size());
    out[value.size()] = '"';
    ++count_;
}

void PackedEntries::Replace(size_t index, std::string_view name, std::string_view value) {
    const size_t offset = OffsetOf(index);
    data_.replace(offset, sizeof(uint32_t) + LengthAt(data_, offset), Encode(name, value));
}

void PackedEntries::Erase(size_t index) {
    const size_t offset = OffsetOf(index);
    data_.erase(offset, sizeof(uint32_t) + LengthAt(data_, offset));
    --count_;
}

bool PackedEntries::Cursor::Next(std::string_view& entry) {
    if (offset_ >= data_.size()) return false;
    const uint32_t length = LengthAt(data_, offset_);
    entry = std::string_view(data_.data(), data_.size()).substr(offset_ + sizeof(uint32_t), length);
    offset_ += sizeof(uint32_t) + length;
    return true;
}

}  // namespace tessel::xml_detail
