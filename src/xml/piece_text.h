#pragma once
// The text of one content piece. Text whose units are all below 0x100 is held as one byte per
// unit, as every text of a document read from 8-bit text is; other text as UTF-16 units. Both
// answer the same units: byte b is unit b, as the system code page widens it. Half the memory
// for the texts of a feed, and the 8-bit writer copies them as they are.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel::xml_detail {

class PieceText {
public:
    PieceText() = default;
    ~PieceText() { Release(); }
    PieceText(const PieceText&) = delete;
    PieceText& operator=(const PieceText&) = delete;

    bool IsNarrow() const { return narrow_; }
    bool Empty() const { return size_ == 0; }
    // Units, whichever way they are held.
    size_t Size() const { return size_; }
    // The bytes of a narrow text; empty for a wide one.
    std::string_view Bytes() const { return narrow_ ? std::string_view(data_, size_) : std::string_view(); }
    // The units of a wide text; empty for a narrow one.
    std::u16string_view Units() const {
        return narrow_ ? std::u16string_view() : std::u16string_view(reinterpret_cast<const char16_t*>(data_), size_);
    }
    char16_t Front() const;
    std::u16string Widened() const;
    void AppendTo(std::u16string& out) const;

    void AssignBytes(std::string_view bytes);
    // Takes bytes that lie in its owner's own block, after the owner: they go with that block,
    // not with the text. Only for a text that holds nothing yet.
    void TakeTrailingBytes(const char* bytes, size_t size) {
        data_ = const_cast<char*>(bytes);
        size_ = static_cast<uint32_t>(size);
        narrow_ = true;
        trailing_ = true;
    }
    void Assign(std::u16string_view units);
    void Append(std::u16string_view units);
    void Clear() { Release(); }

private:
    void Release();
    void Store(std::u16string_view head, std::u16string_view tail);

    char* data_ = nullptr;
    uint32_t size_ = 0;
    bool narrow_ = true;
    bool trailing_ = false;  // data_ lies in the owner's block (TakeTrailingBytes)
};

}  // namespace tessel::xml_detail
