#include "calendar/lzh.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <new>

namespace tessel {

namespace {

constexpr int kWindow = 4096;         // N
constexpr int kLongestMatch = 60;     // F
constexpr int kThreshold = 2;         // matches this short go out as literals
constexpr int kNil = kWindow;         // empty tree link
constexpr int kWindowMask = kWindow - 1;
constexpr int kStart = kWindow - kLongestMatch;  // where the first byte of data goes
constexpr int kFirstLengthSymbol = 256 - kThreshold - 1;  // symbol = this + match length
constexpr uint8_t kBlank = 0x20;
constexpr int kWordSize = 8;

constexpr int T = TLzhHuffman::kTableSize;
constexpr int R = TLzhHuffman::kRoot;

// The upper 6 bits of a match position go out with a fixed prefix code: value 0 in 3 bits, 1-3 in
// 4, 4-11 in 5, 12-23 in 6, 24-47 in 7, 48-63 in 8, the canonical code for these lengths.
struct PositionCode {
    std::array<uint8_t, 64> length{};
    std::array<uint8_t, 64> code{};          // left-aligned in the byte
    std::array<uint8_t, 256> valueOfByte{};  // the value whose code starts this byte
    std::array<uint8_t, 256> lengthOfByte{};
};

constexpr PositionCode MakePositionCode() {
    PositionCode table;
    int code = 0;
    int previousLength = 3;
    for (int value = 0; value < 64; ++value) {
        const int length = value == 0 ? 3 : value < 4 ? 4 : value < 12 ? 5 : value < 24 ? 6 : value < 48 ? 7 : 8;
        code <<= length - previousLength;
        previousLength = length;
        const int first = code << (8 - length);
        table.length[value] = static_cast<uint8_t>(length);
        table.code[value] = static_cast<uint8_t>(first);
        for (int b = first; b < first + (1 << (8 - length)); ++b) {
            table.valueOfByte[b] = static_cast<uint8_t>(value);
            table.lengthOfByte[b] = static_cast<uint8_t>(length);
        }
        ++code;
    }
    return table;
}

constexpr PositionCode kPositionCode = MakePositionCode();
static_assert(kPositionCode.code[1] == 0x20 && kPositionCode.code[4] == 0x50 && kPositionCode.code[5] == 0x58 &&
                  kPositionCode.code[12] == 0x90 && kPositionCode.code[24] == 0xC0 && kPositionCode.code[48] == 0xF0,
              "the first code of each length, as existing files use them");
static_assert(kPositionCode.code[63] == 0xFF && kPositionCode.lengthOfByte[0xFF] == 8,
              "the position code must fill the byte range exactly");

// Binary search trees of window positions, one per first byte, that find the longest earlier
// occurrence of the bytes at a position. Keys are the F bytes starting at the position; the copy of
// the window's first F - 1 bytes after its end lets a key be read without wrapping.
class MatchFinder {
public:
    MatchFinder()
        : text_(kWindow + kLongestMatch - 1 + kWordSize, 0),
          left_(kWindow + 1, kNil),
          parent_(kWindow + 1, kNil),
          right_(kWindow + 257, kNil) {
        std::fill(text_.begin(), text_.begin() + kStart, kBlank);
    }

    uint8_t* Text() { return text_.data(); }
    int MatchLength() const { return matchLength_; }
    int MatchPosition() const { return matchPosition_; }
    void LimitMatchLength(int limit) { matchLength_ = std::min(matchLength_, limit); }

    void InsertNode(int r) {
        const uint8_t* key = &text_[r];
        int cmp = 1;
        int p = kWindow + 1 + key[0];
        right_[r] = left_[r] = kNil;
        matchLength_ = 0;
        for (;;) {
            if (cmp >= 0) {
                if (right_[p] != kNil) {
                    p = right_[p];
                } else {
                    right_[p] = static_cast<uint16_t>(r);
                    parent_[r] = static_cast<uint16_t>(p);
                    return;
                }
            } else {
                if (left_[p] != kNil) {
                    p = left_[p];
                } else {
                    left_[p] = static_cast<uint16_t>(r);
                    parent_[r] = static_cast<uint16_t>(p);
                    return;
                }
            }
            const int i = CommonLength(key, &text_[p]);
            cmp = i < kLongestMatch ? key[i] - text_[p + i] : 0;
            if (i > kThreshold) {
                const int position = ((r - p) & kWindowMask) - 1;
                if (i > matchLength_) {
                    matchPosition_ = position;
                    matchLength_ = i;
                    if (i >= kLongestMatch) break;
                } else if (i == matchLength_ && position < matchPosition_) {
                    matchPosition_ = position;
                }
            }
        }
        // A full match: r takes p's place, so the tree keeps the nearer of two equal keys.
        parent_[r] = parent_[p];
        left_[r] = left_[p];
        right_[r] = right_[p];
        parent_[left_[p]] = static_cast<uint16_t>(r);
        parent_[right_[p]] = static_cast<uint16_t>(r);
        if (right_[parent_[p]] == p) right_[parent_[p]] = static_cast<uint16_t>(r);
        else left_[parent_[p]] = static_cast<uint16_t>(r);
        parent_[p] = kNil;
    }

    // The number of leading bytes of a and b that agree, from byte 1 up to F (byte 0 picked the tree).
    static int CommonLength(const uint8_t* a, const uint8_t* b) {
        int i = 1;
        if constexpr (std::endian::native == std::endian::little) {
            // Eight bytes at a time; the text has kWordSize bytes of slack so the last word stays inside.
            for (; i + kWordSize <= kLongestMatch; i += kWordSize) {
                uint64_t x, y;
                std::memcpy(&x, a + i, kWordSize);
                std::memcpy(&y, b + i, kWordSize);
                if (x != y) return i + std::countr_zero(x ^ y) / 8;
            }
        }
        while (i < kLongestMatch && a[i] == b[i]) ++i;
        return i;
    }

    void DeleteNode(int p) {
        if (parent_[p] == kNil) return;  // never inserted
        int q;
        if (right_[p] == kNil) {
            q = left_[p];
        } else if (left_[p] == kNil) {
            q = right_[p];
        } else {
            // Two sons: the in-order predecessor (rightmost of the left subtree) replaces p.
            q = left_[p];
            if (right_[q] != kNil) {
                do {
                    q = right_[q];
                } while (right_[q] != kNil);
                right_[parent_[q]] = left_[q];
                parent_[left_[q]] = parent_[q];
                left_[q] = left_[p];
                parent_[left_[p]] = static_cast<uint16_t>(q);
            }
            right_[q] = right_[p];
            parent_[right_[p]] = static_cast<uint16_t>(q);
        }
        parent_[q] = parent_[p];
        if (right_[parent_[p]] == p) right_[parent_[p]] = static_cast<uint16_t>(q);
        else left_[parent_[p]] = static_cast<uint16_t>(q);
        parent_[p] = kNil;
    }

private:
    // The window starts as blanks up to where the data goes and zeros from there on, the copy
    // after the end included. Bytes past the end of short data are never sent, but keys near the
    // end are measured into them, so they decide which of two matches is sent: zeros there give
    // the same code as the reference coder's.
    std::vector<uint8_t> text_;
    // Entry kNil of left_ and parent_ absorbs the writes made through empty links.
    std::vector<uint16_t> left_;
    std::vector<uint16_t> parent_;
    // Entries N + 1 + c are the tree roots; a root's right son is the top of its tree.
    std::vector<uint16_t> right_;
    int matchPosition_ = 0;
    int matchLength_ = 0;
};

}  // namespace

TLzhHuffman::TLzhHuffman() : freq_(T + 1), parent_(T + kCharCount), son_(T) {
    for (int i = 0; i < kCharCount; ++i) {
        freq_[i] = 1;
        son_[i] = static_cast<uint16_t>(i + T);
        parent_[i + T] = static_cast<uint16_t>(i);
    }
    for (int i = 0, j = kCharCount; j <= R; i += 2, ++j) {
        freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
        son_[j] = static_cast<uint16_t>(i);
        parent_[i] = parent_[i + 1] = static_cast<uint16_t>(j);
    }
    freq_[T] = 0xFFFF;
    parent_[R] = 0;
}

void TLzhHuffman::Rebuild() {
    int j = 0;
    for (int i = 0; i < T; ++i) {
        if (son_[i] >= T) {
            freq_[j] = static_cast<uint16_t>((freq_[i] + 1) / 2);
            son_[j] = son_[i];
            ++j;
        }
    }
    for (int i = 0, n = kCharCount; n < T; i += 2, ++n) {
        const uint16_t f = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
        // Nodes 0..n-1 are in ascending order and f is at least freq_[i + 1], so k stops above i.
        int k = n - 1;
        while (f < freq_[k]) --k;
        ++k;
        std::copy_backward(freq_.begin() + k, freq_.begin() + n, freq_.begin() + n + 1);
        std::copy_backward(son_.begin() + k, son_.begin() + n, son_.begin() + n + 1);
        freq_[k] = f;
        son_[k] = static_cast<uint16_t>(i);
    }
    for (int i = 0; i < T; ++i) {
        const int k = son_[i];
        if (k >= T) {
            parent_[k] = static_cast<uint16_t>(i);
        } else {
            parent_[k] = parent_[k + 1] = static_cast<uint16_t>(i);
        }
    }
}

void TLzhHuffman::Update(int symbol) {
    if (freq_[R] == kMaxFreq) Rebuild();
    int c = parent_[symbol + T];
    do {
        const uint16_t k = ++freq_[c];
        // The order is disturbed: swap c with the last node of a smaller count, subtrees included.
        if (k > freq_[c + 1]) {
            // Counts ascend from c + 1 on and the sentinel ends them: the partner is the node before
            // the first one not smaller than k. Runs of equal counts are usually short, so look a few
            // nodes ahead before searching the rest by halves.
            int l = c + 1;
            while (l < c + 8 && k > freq_[l + 1]) ++l;
            if (k > freq_[l + 1]) {
                const auto firstNotSmaller = std::lower_bound(freq_.begin() + l + 1, freq_.end(), k);
                l = static_cast<int>(firstNotSmaller - freq_.begin()) - 1;
            }
            freq_[c] = freq_[l];
            freq_[l] = k;

            const int i = son_[c];
            parent_[i] = static_cast<uint16_t>(l);
            if (i < T) parent_[i + 1] = static_cast<uint16_t>(l);

            const int j = son_[l];
            son_[l] = static_cast<uint16_t>(i);

            parent_[j] = static_cast<uint16_t>(c);
            if (j < T) parent_[j + 1] = static_cast<uint16_t>(c);
            son_[c] = static_cast<uint16_t>(j);

            c = l;
        }
        c = parent_[c];
    } while (c != 0);
}

void TLzhHuffman::WriteCode(int symbol, TLzhBitWriter& out) const {
    // The path is read leaf first but sent root first. Codes are at most 16 bits in practice; a
    // skewed enough history makes the tree deeper, and such a code goes out in 16-bit pieces so no
    // bit is lost.
    std::array<uint8_t, T> bits;
    int depth = 0;
    for (int node = NodeOfSymbol(symbol); node != R; node = parent_[node]) bits[depth++] = node & 1;
    uint16_t chunk = 0;
    int used = 0;
    while (depth > 0) {
        chunk = static_cast<uint16_t>(chunk | (bits[--depth] << (15 - used)));
        if (++used == 16) {
            out.PutBits(16, chunk);
            chunk = 0;
            used = 0;
        }
    }
    if (used != 0) out.PutBits(used, chunk);
}

int TLzhHuffman::ReadCode(TLzhBitReader& in) const {
    int node = son_[R];
    while (node < T) node = son_[node + in.GetBit()];
    return node - T;
}

void TLzhBitWriter::PutBits(int length, uint16_t code) {
    buffer_ = static_cast<uint16_t>(buffer_ | (code >> count_));
    count_ = static_cast<uint8_t>(count_ + length);
    if (count_ < 8) return;
    dest_.push_back(static_cast<char>(buffer_ >> 8));
    count_ -= 8;
    if (count_ >= 8) {
        // The code overflowed the buffer: its low bits start the next one.
        dest_.push_back(static_cast<char>(buffer_ & 0xFF));
        count_ -= 8;
        buffer_ = static_cast<uint16_t>(code << (length - count_));
    } else {
        buffer_ = static_cast<uint16_t>(buffer_ << 8);
    }
}

void TLzhBitWriter::Flush() {
    if (count_ != 0) dest_.push_back(static_cast<char>(buffer_ >> 8));
    count_ = 0;
    buffer_ = 0;
}

void TLzhBitReader::Refill() {
    while (count_ <= 8) {
        // The position runs on past the end, counting the zero bytes delivered there.
        const int byte = position_ < source_.size() ? static_cast<uint8_t>(source_[position_]) : 0;
        ++position_;
        buffer_ = static_cast<uint16_t>(buffer_ | (byte << (8 - count_)));
        count_ += 8;
    }
}

int TLzhBitReader::GetBit() {
    Refill();
    const int bit = buffer_ >> 15;
    buffer_ = static_cast<uint16_t>(buffer_ << 1);
    --count_;
    return bit;
}

int TLzhBitReader::GetByte() {
    Refill();
    const int byte = buffer_ >> 8;
    buffer_ = static_cast<uint16_t>(buffer_ << 8);
    count_ -= 8;
    return byte;
}

namespace {

void PutPosition(TLzhBitWriter& out, int position) {
    const int upper = position >> 6;
    out.PutBits(kPositionCode.length[upper], static_cast<uint16_t>(kPositionCode.code[upper] << 8));
    out.PutBits(6, static_cast<uint16_t>((position & 0x3F) << 10));
}

int GetPosition(TLzhBitReader& in) {
    // The first byte holds the whole prefix code; the rest of the 6 low bits follow it.
    int b = in.GetByte();
    const int upper = kPositionCode.valueOfByte[b];
    for (int extra = kPositionCode.lengthOfByte[b] - 2; extra > 0; --extra) b = (b << 1) + in.GetBit();
    return (upper << 6) | (b & 0x3F);
}

}  // namespace

struct TLZH::Tables {
    TLzhHuffman huffman;
    MatchFinder finder;
};

TLZH::TLZH() = default;
TLZH::~TLZH() = default;

void TLZH::AllocateTables() {
    try {
        tables_ = std::make_unique<Tables>();
    } catch (const std::bad_alloc&) {
        throw ElzhException("LZH : Cannot get memory for dictionary tables");
    }
}

void TLZH::Encode(std::string_view source, std::string& dest) {
    AllocateTables();
    TLzhHuffman& huffman = tables_->huffman;
    MatchFinder& finder = tables_->finder;
    uint8_t* text = finder.Text();
    TLzhBitWriter out(dest);
    size_t next = 0;
    const auto putSymbol = [&](int symbol) {
        huffman.WriteCode(symbol, out);
        huffman.Update(symbol);
    };

    int s = 0;
    int r = kStart;
    int len = 0;
    while (len < kLongestMatch && next < source.size()) text[r + len++] = static_cast<uint8_t>(source[next++]);
    for (int i = 1; i <= kLongestMatch; ++i) finder.InsertNode(r - i);
    finder.InsertNode(r);
    // An empty source still sends one symbol, a blank; the decoder stops at the length anyway.
    if (len == 0) text[r] = kBlank;
    do {
        finder.LimitMatchLength(len);
        int matchLength = finder.MatchLength();
        if (matchLength <= kThreshold) {
            matchLength = 1;
            putSymbol(text[r]);
        } else {
            putSymbol(kFirstLengthSymbol + matchLength);
            PutPosition(out, finder.MatchPosition());
        }
        int i = 0;
        for (; i < matchLength && next < source.size(); ++i) {
            finder.DeleteNode(s);
            const auto c = static_cast<uint8_t>(source[next++]);
            text[s] = c;
            if (s < kLongestMatch - 1) text[s + kWindow] = c;
            s = (s + 1) & kWindowMask;
            r = (r + 1) & kWindowMask;
            finder.InsertNode(r);
        }
        for (; i < matchLength; ++i) {
            finder.DeleteNode(s);
            s = (s + 1) & kWindowMask;
            r = (r + 1) & kWindowMask;
            if (--len != 0) finder.InsertNode(r);
        }
    } while (len > 0);
    out.Flush();
    tables_.reset();
}

void TLZH::Decode(std::string_view source, uint32_t length, std::string& dest) {
    AllocateTables();
    TLzhHuffman& huffman = tables_->huffman;
    uint8_t* text = tables_->finder.Text();
    TLzhBitReader in(source);

    int r = kStart;
    uint32_t count = 0;
    while (count < length) {
        // Checked before each symbol: the encoder pads only the final byte, so a valid stream never
        // needs a bit it does not hold.
        if (in.Overrun()) {
            tables_.reset();
            throw ElzhException("LZH : Stream ends after " + std::to_string(count) + " of its " +
                                std::to_string(length) + " bytes");
        }
        const int c = huffman.ReadCode(in);
        huffman.Update(c);
        if (c < 256) {
            dest.push_back(static_cast<char>(c));
            text[r] = static_cast<uint8_t>(c);
            r = (r + 1) & kWindowMask;
            ++count;
        } else {
            const int from = (r - GetPosition(in) - 1) & kWindowMask;
            const int matchLength = c - kFirstLengthSymbol;
            // A damaged stream may send a match that runs past the stated length: cut it there.
            for (int k = 0; k < matchLength && count < length; ++k) {
                const uint8_t b = text[(from + k) & kWindowMask];
                dest.push_back(static_cast<char>(b));
                text[r] = b;
                r = (r + 1) & kWindowMask;
                ++count;
            }
        }
    }
    if (in.Overrun()) {
        tables_.reset();
        throw ElzhException("LZH : Stream ends before its last code");
    }
    tables_.reset();
}

std::string CompressStream(std::string_view source) {
    if (source.size() > 0xFFFFFFFFu) throw ElzhException("LZH : Stream too long for its length header");
    const auto size = static_cast<uint32_t>(source.size());
    std::string dest;
    dest.reserve(source.size() / 2 + 16);
    for (int shift = 0; shift < 32; shift += 8) dest.push_back(static_cast<char>((size >> shift) & 0xFF));
    TLZH codec;
    codec.Encode(source, dest);
    return dest;
}

std::string ExpandStream(std::string_view source, uint32_t maxLength) {
    if (source.size() < 4) throw ElzhException("LZH : Stream too short for its length header");
    uint32_t length = 0;
    for (int i = 3; i >= 0; --i) length = (length << 8) | static_cast<uint8_t>(source[i]);
    if (length > maxLength) {
        throw ElzhException("LZH : Stream length " + std::to_string(length) + " exceeds the limit of " +
                            std::to_string(maxLength) + " bytes");
    }
    std::string dest;
    dest.reserve(length);
    TLZH codec;
    codec.Decode(source.substr(4), length, dest);
    return dest;
}

}  // namespace tessel
