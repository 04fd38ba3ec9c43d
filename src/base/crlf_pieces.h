#pragma once
// A text read in pieces, with its line breaks made CR LF as it is read: the text ReadCrLfBlock
// gives for the whole file (every CR LF, lone CR and lone LF one CR LF, a last line without a
// break given one), held a piece at a time. A parser of a file of megabytes holds what it has
// not finished with and the next piece, not the whole text.
//
// The text held starts where its reader let it go; Next lets go of what comes before a place
// and reads on. A break split between two pieces (CR at the end of one, LF at the start of the
// next) is one break, as in the whole text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tessel {

// The bytes under the pieces: a file, or in tests any text read in steps of any size.
class ByteReader {
public:
    virtual ~ByteReader() = default;
    // Up to size bytes from where the last read stopped; 0 only at the end. Raises EError when
    // the bytes cannot be read (or are more than their kind may hold).
    virtual size_t Read(char* into, size_t size) = 0;
    // Up to size bytes from the offset, wherever the reads stand; 0 only at the end.
    virtual size_t ReadAt(uint64_t offset, char* into, size_t size) = 0;
};

class CrLfPieces {
public:
    // A piece of 256 KiB: a few hundred reads for the largest cache, each within the caches.
    static constexpr size_t kPieceBytes = size_t(256) << 10;

    explicit CrLfPieces(std::unique_ptr<ByteReader> reader, size_t pieceBytes = kPieceBytes);
    ~CrLfPieces();
    CrLfPieces(const CrLfPieces&) = delete;
    CrLfPieces& operator=(const CrLfPieces&) = delete;

    // The text held: from the first byte not let go to the last one read (empty before the
    // first Next).
    std::string_view Text() const { return std::string_view(buffer_.Data, size_); }
    // True when the text held runs to the end of the whole text.
    bool Whole() const { return whole_; }
    // The bytes of the whole text let go before Text().
    uint64_t Offset() const { return offset_; }
    // The CR characters in the whole text up to the end of Text().
    uint64_t CrCount() const { return crs_; }

    // Lets go of the first `keep` bytes held and reads on: at least one more piece, and at least
    // as much as is still held, so that a long stretch that has to stay whole is read in a number
    // of steps that grows only with the logarithm of its length. Nothing once Whole().
    void Next(size_t keep);

    // The last `count` bytes of the text as read, before its trailing blanks (spaces, tabs, CRs
    // and LFs): fewer when the text has fewer. Its line breaks are as read, not made CR LF; a
    // stretch without breaks is the same in both.
    std::string TailBeforeBlanks(size_t count);

private:
    // Room for capacity bytes, keeping the first `used`.
    void Reserve(size_t capacity, size_t used);
    void TakeRead(size_t size);
    char* Convert(const char* from, const char* end, char* out);
    void Finish();

    std::unique_ptr<ByteReader> reader_;
    size_t pieceBytes_;
    // Never cleared (only what was read is looked at), and made of whole pages that leave the
    // process with the reader: a load's few hundred KiB do not stay in the heap after it.
    struct Buffer {
        Buffer() = default;
        explicit Buffer(size_t bytes);
        Buffer(const Buffer&) = delete;
        Buffer& operator=(Buffer&& other) noexcept;
        ~Buffer();
        char* Data = nullptr;
        size_t Bytes = 0;
    };
    Buffer buffer_;
    size_t size_ = 0;
    uint64_t offset_ = 0;
    uint64_t crs_ = 0;
    uint64_t rawSize_ = 0;
    char lastRaw_ = 0;
    bool crOpen_ = false;  // the text held ends with a CR whose LF is still to come, or to be added
    bool whole_ = false;
    std::string moved_;  // the rest of a piece that needs converting, moved out of the way
};

// The first CR or LF at or after p, or end; sixteen bytes a step where the processor allows.
const char* NextLineBreak(const char* p, const char* end);

// The pieces of a file, read as ReadCrLfBlock reads it: refused (EFileError) as ReadFileBytes
// refuses it, when it cannot be opened or read, is not a regular file or holds more than
// maxBytes; the last only once the reads pass maxBytes.
std::unique_ptr<ByteReader> OpenFileReader(const std::u16string& path, uint64_t maxBytes);

}  // namespace tessel
