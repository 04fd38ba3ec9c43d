#pragma once
// LZHUF: LZSS over a 4096-byte sliding window whose literals and match lengths are sent with an
// adaptive Huffman code. account.xml is stored this way and files written by earlier releases must
// stay readable, so the coded format is fixed bit for bit: the length of the plain data as a 32-bit
// little-endian number, then the bit stream, most significant bit first, the last byte padded with
// zero bits.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/errors.h"

namespace tessel {

// "LZH : Cannot get memory for dictionary tables", and the damaged-input errors of ExpandStream.
class ElzhException : public EError {
public:
    using EError::EError;
};

// An account document is a few KB; a header claiming more than this comes from a damaged file.
constexpr uint32_t kLzhMaxExpandedLength = 16u * 1024u * 1024u;

// The length header followed by the code of all of source.
std::string CompressStream(std::string_view source);

// Decodes exactly as many bytes as the header states. Raises ElzhException when source is shorter
// than the header, the header states more than maxLength bytes, or the code ends before that many
// bytes are decoded (a cut file would otherwise come out whole-looking with a tail of garbage).
std::string ExpandStream(std::string_view source, uint32_t maxLength = kLzhMaxExpandedLength);

// Bits out, most significant first, through a 16-bit buffer: a code is given left-aligned in 16
// bits and the buffer's top byte goes out as soon as it is full.
class TLzhBitWriter {
public:
    explicit TLzhBitWriter(std::string& dest) : dest_(dest) {}
    // length 1..16; the bits of code below the top length bits must be zero.
    void PutBits(int length, uint16_t code);
    // Sends the pending bits padded with zero bits to a byte.
    void Flush();

private:
    std::string& dest_;
    uint8_t count_ = 0;
    uint16_t buffer_ = 0;
};

// Bits in, most significant first. Reading past the end of the source delivers zero bytes: the
// buffer looks up to two bytes ahead of the bits taken, so a stream's last code needs that.
class TLzhBitReader {
public:
    explicit TLzhBitReader(std::string_view source) : source_(source) {}
    int GetBit();
    // The next 8 bits.
    int GetByte();
    // Whether a bit was taken that the source does not hold (one of the zero bytes read past its
    // end, beyond the look-ahead).
    bool Overrun() const { return position_ * 8 - count_ > source_.size() * 8; }

private:
    void Refill();

    std::string_view source_;
    size_t position_ = 0;
    uint16_t buffer_ = 0;
    uint8_t count_ = 0;
};

// The adaptive Huffman tree that the coder and the decoder keep in step. Nodes are kept in
// ascending order of frequency; the sons of an internal node are the pair son, son + 1.
class TLzhHuffman {
public:
    static constexpr int kCharCount = 314;                // 256 literals + match lengths 3..60
    static constexpr int kTableSize = 2 * kCharCount - 1;  // nodes; values from here on mark leaves
    static constexpr int kRoot = kTableSize - 1;
    static constexpr uint16_t kMaxFreq = 0x8000;

    // Every symbol with frequency 1, paired in order.
    TLzhHuffman();

    // Counts one more occurrence of symbol, halving all counts first when the root reached kMaxFreq.
    void Update(int symbol);
    // Halves the leaf counts and builds the internal nodes again.
    void Rebuild();

    // The path from the root to the symbol's leaf, one bit per level (the parity of the node).
    void WriteCode(int symbol, TLzhBitWriter& out) const;
    int ReadCode(TLzhBitReader& in) const;

    uint16_t Frequency(int node) const { return freq_[node]; }
    int Parent(int node) const { return parent_[node]; }
    // For an internal node its first son; for a leaf kTableSize + symbol.
    int Son(int node) const { return son_[node]; }
    int NodeOfSymbol(int symbol) const { return parent_[kTableSize + symbol]; }

private:
    // Entry kTableSize is a sentinel larger than any count, so the search for a swap partner stops.
    std::vector<uint16_t> freq_;
    // Entries kTableSize.. give the node of each symbol.
    std::vector<uint16_t> parent_;
    std::vector<uint16_t> son_;
};

// One coding or decoding run. The tables live only for the duration of Encode or Decode.
class TLZH {
public:
    TLZH();
    ~TLZH();
    TLZH(const TLZH&) = delete;
    TLZH& operator=(const TLZH&) = delete;

    // Appends the code of all of source (without the length header) to dest.
    void Encode(std::string_view source, std::string& dest);
    // Appends exactly length bytes decoded from source (which starts after the header) to dest.
    void Decode(std::string_view source, uint32_t length, std::string& dest);

private:
    struct Tables;
    void AllocateTables();

    std::unique_ptr<Tables> tables_;
};

}  // namespace tessel
