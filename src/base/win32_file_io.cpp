// Win32 half of file_io.h.
#include <windows.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "base/errors.h"
#include "base/file_io.h"
#include "base/file_io_platform.h"
#include "base/text.h"
#include "base/win32_system_error.h"

namespace tessel {

namespace {

const wchar_t* W(const std::u16string& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }

[[noreturn]] void RaiseFileError(const char* what, const std::u16string& path, DWORD error) {
    throw EFileError(std::string(what) + " \"" + Utf16ToUtf8(path) + "\". " + SystemErrorText(error), error);
}

struct HandleCloser {
    void operator()(HANDLE h) const noexcept { if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h); }
};
using FileHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

FileHandle OpenHandle(HANDLE h) { return FileHandle(h == INVALID_HANDLE_VALUE ? nullptr : h); }

}  // namespace

bool FileExists(const std::u16string& path) {
    const DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string FileStamp(const std::u16string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &data) || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return {};
    const auto wide = [](DWORD high, DWORD low) { return (uint64_t(high) << 32) | low; };
    return std::to_string(wide(data.nFileSizeHigh, data.nFileSizeLow)) + "@" +
           std::to_string(wide(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime));
}

namespace {

// Opens a file for reading, refusing what is not a file on a disk or is larger than maxBytes;
// size is its size when the system tells it.
FileHandle OpenForReading(const std::u16string& path, uint64_t maxBytes, LARGE_INTEGER& size) {
    FileHandle file = OpenHandle(CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) RaiseFileError("Cannot open file", path, GetLastError());
    // A device or a pipe would read without end.
    if (GetFileType(file.get()) != FILE_TYPE_DISK)
        throw EFileError("Cannot read file \"" + Utf16ToUtf8(path) + "\". It is not a regular file");
    size.QuadPart = 0;
    if (GetFileSizeEx(file.get(), &size) && uint64_t(size.QuadPart) > maxBytes) RaiseFileTooLarge(path, maxBytes);
    return file;
}

// Reads the whole file into a buffer of std::string's resize() and data().
template <class Buffer>
Buffer ReadWholeFile(const std::u16string& path, uint64_t maxBytes) {
    // Read straight into a buffer of the file's size (a cache file holds megabytes), and on
    // until the end in case the file grew meanwhile.
    LARGE_INTEGER size{};
    FileHandle file = OpenForReading(path, maxBytes, size);
    const auto tooLarge = [&] { RaiseFileTooLarge(path, maxBytes); };
    Buffer bytes;
    bytes.resize(size.QuadPart > 0 ? size_t(size.QuadPart) : 0);
    size_t filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            // Read to the size it had: a small read tells whether it grew since, before the
            // buffer is copied into a larger one (for a file of megabytes, a copy of megabytes).
            char probe[4096];
            DWORD probed = 0;
            if (!ReadFile(file.get(), probe, filled >= maxBytes ? 1 : sizeof probe, &probed, nullptr))
                RaiseFileError("Cannot read file", path, GetLastError());
            if (probed == 0) break;
            if (filled + probed > maxBytes) tooLarge();
            bytes.resize(size_t(std::min<uint64_t>(filled + std::max<size_t>(65536, probed), maxBytes)));
            std::memcpy(bytes.data() + filled, probe, probed);
            filled += probed;
            continue;
        }
        DWORD read = 0;
        const DWORD want = DWORD(std::min<size_t>(bytes.size() - filled, 1u << 30));
        if (!ReadFile(file.get(), bytes.data() + filled, want, &read, nullptr))
            RaiseFileError("Cannot read file", path, GetLastError());
        if (read == 0) break;
        filled += read;
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

namespace {

// A file read in steps: from its start on, or at an offset.
class FileReader final : public ByteReader {
public:
    FileReader(const std::u16string& path, FileHandle file) : path_(path), file_(std::move(file)) {}

    size_t Read(char* into, size_t size) override {
        DWORD read = 0;
        if (!ReadFile(file_.get(), into, DWORD(std::min<size_t>(size, 1u << 30)), &read, nullptr))
            RaiseFileError("Cannot read file", path_, GetLastError());
        return read;
    }

    size_t ReadAt(uint64_t offset, char* into, size_t size) override {
        // A read at an offset moves the file pointer of a handle like this one: it is put back.
        LARGE_INTEGER here{};
        const LARGE_INTEGER none{};
        if (!SetFilePointerEx(file_.get(), none, &here, FILE_CURRENT))
            RaiseFileError("Cannot read file", path_, GetLastError());
        OVERLAPPED at{};
        at.Offset = DWORD(offset);
        at.OffsetHigh = DWORD(offset >> 32);
        DWORD read = 0;
        const bool ok = ReadFile(file_.get(), into, DWORD(std::min<size_t>(size, 1u << 30)), &read, &at);
        const DWORD error = GetLastError();
        SetFilePointerEx(file_.get(), here, nullptr, FILE_BEGIN);
        if (!ok && error != ERROR_HANDLE_EOF) RaiseFileError("Cannot read file", path_, error);
        return ok ? read : 0;
    }

private:
    std::u16string path_;
    FileHandle file_;
};

}  // namespace

std::unique_ptr<ByteReader> OpenPlatformFileReader(const std::u16string& path, uint64_t maxBytes) {
    LARGE_INTEGER size{};
    return std::make_unique<FileReader>(path, OpenForReading(path, maxBytes, size));
}

std::string ReadFileBytes(const std::u16string& path, uint64_t maxBytes) {
    return ReadWholeFile<std::string>(path, maxBytes);
}

FileBlock ReadFileBlock(const std::u16string& path, uint64_t maxBytes) {
    return ReadWholeFile<FileBlock>(path, maxBytes);
}

void WriteFileAtomic(const std::u16string& path, std::string_view bytes) {
    // One fixed name per target: CREATE_ALWAYS takes over a temporary file left by a killed write.
    const std::u16string temp = TemporaryPathFor(path);
    {
        FileHandle file = OpenHandle(
            CreateFileW(W(temp), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) RaiseFileError("Cannot create file", path, GetLastError());
        while (!bytes.empty()) {
            DWORD written = 0;
            const DWORD chunk = DWORD(std::min<size_t>(bytes.size(), 1u << 30));
            if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr) || written == 0) {
                const DWORD error = GetLastError();
                file.reset();
                DeleteFileW(W(temp));
                RaiseFileError("Cannot write file", path, error);
            }
            bytes.remove_prefix(written);
        }
        if (!FlushFileBuffers(file.get())) {
            const DWORD error = GetLastError();
            file.reset();
            DeleteFileW(W(temp));
            RaiseFileError("Cannot write file", path, error);
        }
    }
    if (!MoveFileExW(W(temp), W(path), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(W(temp));
        RaiseFileError("Cannot write file", path, error);
    }
}

bool RemoveFile(const std::u16string& path) {
    return DeleteFileW(W(path)) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::u16string ExecutablePath() {
    std::u16string buffer(MAX_PATH, u'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer.data()), DWORD(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) {
            buffer.resize(n);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::u16string ExecutableFolder() {
    const std::u16string path = ExecutablePath();
    return path.empty() ? u".\\" : FolderOf(path);
}

}  // namespace tessel
