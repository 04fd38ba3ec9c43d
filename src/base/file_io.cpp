#include "base/file_io.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "base/crlf_pieces.h"
#include "base/errors.h"
#include "base/file_io_platform.h"
#include "base/text.h"

namespace tessel {

std::u16string FolderOf(const std::u16string& path) {
    const size_t cut = path.find_last_of(u"/\\");
    return cut == std::u16string::npos ? std::u16string() : path.substr(0, cut + 1);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n') continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        start = i + 1;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
    size_t size = 0;
    for (const auto& line : lines) size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

namespace {

// Where the text first leaves the CR LF form (every line break CR LF, a non-empty text ending
// with one): the offset of the first line break that is not CR LF, or of the last line when only
// its break is missing. npos when the text is in that form.
size_t FirstNonCrLfBreak(std::string_view text) {
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const char* p = begin;
    for (;;) {
        const char* const br = NextLineBreak(p, end);
        if (br == end) return p == end ? std::string_view::npos : size_t(p - begin);
        if (*br != '\r' || br + 1 == end || br[1] != '\n') return size_t(br - begin);
        p = br + 2;
    }
}

// Writes text[from..] to out with every line break (CR LF, CR or LF) made CR LF and a final one
// added after a last line without one; out has room for twice the bytes and two more. Returns
// the end of what was written.
char* WriteCrLfFrom(std::string_view text, size_t from, char* out) {
    const char* p = text.data() + from;
    const char* const end = text.data() + text.size();
    while (p != end) {
        const char* const br = NextLineBreak(p, end);
        std::memcpy(out, p, size_t(br - p));
        out += br - p;
        if (br == end) {
            p = end;
        } else {
            p = br + (*br == '\r' && br + 1 != end && br[1] == '\n' ? 2 : 1);
        }
        *out++ = '\r';
        *out++ = '\n';
    }
    return out;
}

// The text itself when it is in CR LF form, else a converted copy (std::string or FileBlock).
template <class Buffer>
Buffer InCrLfForm(Buffer text) {
    const std::string_view view(text.data(), text.size());
    const size_t from = FirstNonCrLfBreak(view);
    if (from == std::string_view::npos) return text;
    // Room for the worst case (every byte a lone break); a FileBlock never touches what is not
    // written.
    Buffer out;
    out.resize(from + 2 * (view.size() - from) + 2);
    std::memcpy(out.data(), view.data(), from);
    out.resize(size_t(WriteCrLfFrom(view, from, out.data() + from) - out.data()));
    return out;
}

}  // namespace

std::string CrLfLines(std::string text) { return InCrLfForm(std::move(text)); }

std::string ReadTextAsCrLf(const std::u16string& path, uint64_t maxBytes) {
    return CrLfLines(ReadFileBytes(path, maxBytes));
}

FileBlock ReadCrLfBlock(const std::u16string& path, uint64_t maxBytes) {
    return InCrLfForm(ReadFileBlock(path, maxBytes));
}

void RaiseFileTooLarge(const std::u16string& path, uint64_t maxBytes) {
    throw EFileError("Cannot read file \"" + Utf16ToUtf8(path) + "\". It holds more than the " +
                     std::to_string(maxBytes) + " bytes a file of its kind may hold");
}

namespace {

// A file read in steps, refused once the reads pass its limit (it may grow after it was opened).
class LimitedFileReader final : public ByteReader {
public:
    LimitedFileReader(const std::u16string& path, uint64_t maxBytes)
        : file_(OpenPlatformFileReader(path, maxBytes)), path_(path), maxBytes_(maxBytes) {}

    size_t Read(char* into, size_t size) override {
        const size_t n = file_->Read(into, size);
        read_ += n;
        if (read_ > maxBytes_) RaiseFileTooLarge(path_, maxBytes_);
        return n;
    }
    size_t ReadAt(uint64_t offset, char* into, size_t size) override { return file_->ReadAt(offset, into, size); }

private:
    std::unique_ptr<ByteReader> file_;
    std::u16string path_;
    uint64_t maxBytes_;
    uint64_t read_ = 0;
};

}  // namespace

std::unique_ptr<ByteReader> OpenFileReader(const std::u16string& path, uint64_t maxBytes) {
    return std::make_unique<LimitedFileReader>(path, maxBytes);
}

std::u16string TemporaryPathFor(const std::u16string& path) { return path + u".tmp"; }

void SaveLines(const std::u16string& path, const std::vector<std::string>& lines) {
    WriteFileAtomic(path, JoinLines(lines));
}

}  // namespace tessel
