// POSIX half of file_io.h: paths are converted to UTF-8 for the system calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/file_io_platform.h"
#include "base/text.h"

namespace tessel {

namespace {

std::string SystemPath(const std::u16string& path) { return Utf16ToUtf8(path); }

[[noreturn]] void RaiseFileError(const char* what, const std::u16string& path, int error) {
    throw EFileError(std::string(what) + " \"" + Utf16ToUtf8(path) + "\". " + std::strerror(error), error);
}

// Closes the descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(other.release()) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { if (fd_ >= 0) ::close(fd_); }
    int get() const { return fd_; }
    int release() { int fd = fd_; fd_ = -1; return fd; }
private:
    int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(size_t(n));
    }
    return true;
}

}  // namespace

bool FileExists(const std::u16string& path) {
    struct stat st;
    return ::stat(SystemPath(path).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::string FileStamp(const std::u16string& path) {
    struct stat st;
    if (::stat(SystemPath(path).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return std::to_string(st.st_size) + "@" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

namespace {

// Opens a file for reading, refusing what is not a regular file or is larger than maxBytes.
Fd OpenForReading(const std::u16string& path, uint64_t maxBytes, struct stat& info) {
    // Opened without waiting, so that a pipe with no writer is refused rather than waited for.
    Fd fd(::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) RaiseFileError("Cannot open file", path, errno);
    if (::fstat(fd.get(), &info) != 0) RaiseFileError("Cannot read file", path, errno);
    if (!S_ISREG(info.st_mode))
        throw EFileError("Cannot read file \"" + Utf16ToUtf8(path) + "\". It is not a regular file");
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    if (uint64_t(info.st_size) > maxBytes) RaiseFileTooLarge(path, maxBytes);
    return fd;
}

// Reads the whole file into a buffer of std::string's resize() and data().
template <class Buffer>
Buffer ReadWholeFile(const std::u16string& path, uint64_t maxBytes) {
    struct stat info {};
    Fd fd = OpenForReading(path, maxBytes, info);
    const auto tooLarge = [&] { RaiseFileTooLarge(path, maxBytes); };
    // Read straight into a buffer of the file's size, and on until the end in case it grew.
    Buffer bytes;
    bytes.resize(info.st_size > 0 ? size_t(info.st_size) : 0);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            // Read to the size it had: a small read tells whether it grew since, before the
            // buffer is copied into a larger one (for a file of megabytes, a copy of megabytes).
            char probe[4096];
            const ssize_t n = ::read(fd.get(), probe, filled >= maxBytes ? 1 : sizeof probe);
            if (n < 0) {
                if (errno == EINTR) continue;
                RaiseFileError("Cannot read file", path, errno);
            }
            if (n == 0) break;
            if (filled + size_t(n) > maxBytes) tooLarge();
            bytes.resize(size_t(std::min<uint64_t>(filled + std::max<size_t>(65536, size_t(n)), maxBytes)));
            std::memcpy(bytes.data() + filled, probe, size_t(n));
            filled += size_t(n);
            continue;
        }
        const ssize_t n = ::read(fd.get(), bytes.data() + filled, bytes.size() - filled);
        if (n < 0) {
            if (errno == EINTR) continue;
            RaiseFileError("Cannot read file", path, errno);
        }
        if (n == 0) break;
        filled += size_t(n);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

namespace {

// A file read in steps: from its start on, or at an offset.
class FileReader final : public ByteReader {
public:
    FileReader(const std::u16string& path, Fd fd) : path_(path), fd_(std::move(fd)) {}
    size_t Read(char* into, size_t size) override {
        return Checked([&] { return ::read(fd_.get(), into, size); });
    }
    size_t ReadAt(uint64_t offset, char* into, size_t size) override {
        return Checked([&] { return ::pread(fd_.get(), into, size, off_t(offset)); });
    }

private:
    // The read, again when a signal cut it short.
    template <class Call>
    size_t Checked(Call read) const {
        for (;;) {
            const ssize_t n = read();
            if (n >= 0) return size_t(n);
            if (errno != EINTR) RaiseFileError("Cannot read file", path_, errno);
        }
    }

    std::u16string path_;
    Fd fd_;
};

}  // namespace

std::unique_ptr<ByteReader> OpenPlatformFileReader(const std::u16string& path, uint64_t maxBytes) {
    struct stat info {};
    return std::make_unique<FileReader>(path, OpenForReading(path, maxBytes, info));
}

std::string ReadFileBytes(const std::u16string& path, uint64_t maxBytes) {
    return ReadWholeFile<std::string>(path, maxBytes);
}

FileBlock ReadFileBlock(const std::u16string& path, uint64_t maxBytes) {
    return ReadWholeFile<FileBlock>(path, maxBytes);
}

void WriteFileAtomic(const std::u16string& path, std::string_view bytes) {
    const std::string target = SystemPath(path);
    // One fixed name per target: a temporary file left by a write that was killed is truncated
    // and used again rather than left beside the target for ever.
    const std::string temp = SystemPath(TemporaryPathFor(path));
    Fd fd(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0644));
    if (fd.get() < 0) RaiseFileError("Cannot create file", path, errno);
    ::fchmod(fd.get(), 0644);
    if (!WriteAll(fd.get(), bytes) || ::fsync(fd.get()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        RaiseFileError("Cannot write file", path, error);
    }
    if (::close(fd.release()) != 0 || ::rename(temp.c_str(), target.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        RaiseFileError("Cannot write file", path, error);
    }
}

bool RemoveFile(const std::u16string& path) {
    return ::unlink(SystemPath(path).c_str()) == 0 || errno == ENOENT;
}

std::u16string ExecutablePath() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return {};
    return Utf8ToUtf16(std::string_view(buffer, size_t(n)));
}

std::u16string ExecutableFolder() {
    const std::u16string path = ExecutablePath();
    return path.empty() ? u"./" : FolderOf(path);
}

}  // namespace tessel
