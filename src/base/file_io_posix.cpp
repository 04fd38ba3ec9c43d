// POSIX half of file_io.h: paths are converted to UTF-8 for the system calls.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/text.h"

namespace tessel {

namespace {

std::string SystemPath(const std::u16string& path) { return Utf16ToUtf8(path); }

[[noreturn]] void RaiseFileError(const char* what, const std::u16string& path, int error) {
    throw EFileError(std::string(what) + " \"" + Utf16ToUtf8(path) + "\". " + std::strerror(error));
}

// Closes the descriptor on every way out.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
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

std::string ReadFileBytes(const std::u16string& path) {
    Fd fd(::open(SystemPath(path).c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) RaiseFileError("Cannot open file", path, errno);
    // Read straight into a string of the file's size, and on until the end in case it grew.
    struct stat info {};
    std::string bytes(::fstat(fd.get(), &info) == 0 && info.st_size > 0 ? size_t(info.st_size) : 0, '\0');
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) bytes.resize(bytes.size() + 65536);
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

void WriteFileAtomic(const std::u16string& path, std::string_view bytes) {
    const std::string target = SystemPath(path);
    std::string temp = target + ".XXXXXX";
    Fd fd(::mkstemp(temp.data()));
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

std::u16string ExecutableFolder() {
    char buffer[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return u"./";
    return FolderOf(Utf8ToUtf16(std::string_view(buffer, size_t(n))));
}

}  // namespace tessel
