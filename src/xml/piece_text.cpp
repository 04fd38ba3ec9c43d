#include "xml/piece_text.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "xml/node_pool.h"

namespace tessel::xml_detail {

namespace {

bool FitsBytes(std::u16string_view units) {
    return std::all_of(units.begin(), units.end(), [](char16_t c) { return c <= 0xFF; });
}

void CheckSize(size_t units) {
    // The stores refuse files of this size long before; a text this long cannot come from them.
    if (units > UINT32_MAX / 2) throw std::bad_alloc();
}

}  // namespace

char16_t PieceText::Front() const {
    if (size_ == 0) return 0;
    return narrow_ ? char16_t(static_cast<unsigned char>(data_[0])) : Units().front();
}

std::u16string PieceText::Widened() const {
    std::u16string out;
    AppendTo(out);
    return out;
}

void PieceText::AppendTo(std::u16string& out) const {
    if (!narrow_) {
        out.append(Units());
        return;
    }
    const size_t start = out.size();
    out.resize(start + size_);
    for (uint32_t i = 0; i < size_; ++i) out[start + i] = static_cast<unsigned char>(data_[i]);
}

void PieceText::AssignBytes(std::string_view bytes) {
    CheckSize(bytes.size());
    char* data = bytes.empty() ? nullptr : static_cast<char*>(AllocateNodeMemory(bytes.size()));
    if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
    Release();
    data_ = data;
    size_ = static_cast<uint32_t>(bytes.size());
    narrow_ = true;
}

void PieceText::Assign(std::u16string_view units) { Store(units, {}); }

void PieceText::Append(std::u16string_view units) {
    if (units.empty()) return;
    if (size_ == 0) {
        Store(units, {});
        return;
    }
    const std::u16string head = Widened();
    Store(head, units);
}

void PieceText::Store(std::u16string_view head, std::u16string_view tail) {
    const size_t size = head.size() + tail.size();
    CheckSize(size);
    const bool narrow = FitsBytes(head) && FitsBytes(tail);
    const size_t bytes = narrow ? size : 2 * size;
    char* data = size == 0 ? nullptr : static_cast<char*>(AllocateNodeMemory(bytes));
    if (narrow) {
        for (size_t i = 0; i < head.size(); ++i) data[i] = char(head[i]);
        for (size_t i = 0; i < tail.size(); ++i) data[head.size() + i] = char(tail[i]);
    } else {
        if (!head.empty()) std::memcpy(data, head.data(), 2 * head.size());
        if (!tail.empty()) std::memcpy(data + 2 * head.size(), tail.data(), 2 * tail.size());
    }
    Release();
    data_ = data;
    size_ = static_cast<uint32_t>(size);
    narrow_ = narrow;
}

void PieceText::Release() {
    if (data_ && !trailing_) FreeNodeMemory(data_, narrow_ ? size_ : 2 * size_);
    data_ = nullptr;
    size_ = 0;
    narrow_ = true;
    trailing_ = false;
}

}  // namespace tessel::xml_detail
