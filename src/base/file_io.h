#pragma once
// File access for the stores. Paths are UTF-16 on every platform (the program folder may hold any
// character); contents are bytes.
//
// Every file the program writes is replaced atomically: the new contents go to a temporary file in
// the same folder, are flushed to the disk, and the temporary file is renamed over the old one.
// A crash or a full disk during a save leaves the previous file whole. The temporary file has a
// fixed name (the target's name + ".tmp"), so one left behind by a killed write is taken over and
// renamed away by the next write of the same file.
//
// Readers take regular files only (a device or a pipe would read without end) and refuse a file
// larger than its kind may be.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "base/file_block.h"

namespace tessel {

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

// The largest file a reader takes unless its kind says otherwise.
inline constexpr uint64_t kMaxReadFileBytes = uint64_t(1) << 30;
// Settings, theme descriptions and other small text files.
inline constexpr uint64_t kMaxSettingsFileBytes = uint64_t(16) << 20;

bool FileExists(const std::u16string& path);
// A text that changes whenever the file is written, replaced or removed (its size and time of
// last change); empty when there is no such file.
std::string FileStamp(const std::u16string& path);
// Raises EFileError naming the file when it cannot be read, is not a regular file, or holds more
// than maxBytes.
std::string ReadFileBytes(const std::u16string& path, uint64_t maxBytes = kMaxReadFileBytes);
// The same bytes in a buffer that is not cleared before the read, for large documents.
FileBlock ReadFileBlock(const std::u16string& path, uint64_t maxBytes = kMaxReadFileBytes);
// The temporary file WriteFileAtomic writes before renaming it over path.
std::u16string TemporaryPathFor(const std::u16string& path);
// Raises EFileError when the file cannot be written; the old file, if any, is then unchanged.
void WriteFileAtomic(const std::u16string& path, std::string_view bytes);
// Removes the file; false when it could not be removed (a missing file counts as removed).
bool RemoveFile(const std::u16string& path);
// The full path of the running program file; empty when the system does not tell.
std::u16string ExecutablePath();
// The folder of the running program file, with a trailing separator.
std::u16string ExecutableFolder();
// The folder part of a path, with its trailing separator (empty when the path has none).
std::u16string FolderOf(const std::u16string& path);

// Splits at CR LF, CR or LF; a final line break does not start another line.
std::vector<std::string> SplitLines(std::string_view text);
// Every line followed by CR LF.
std::string JoinLines(const std::vector<std::string>& lines);
// What JoinLines(SplitLines(text)) gives, in one pass: a text already in that form (as every file
// this program writes is) comes back as it is, without a copy.
std::string CrLfLines(std::string text);
// A text file read as lines and joined again with CR LF, as the stores read their files.
std::string ReadTextAsCrLf(const std::u16string& path, uint64_t maxBytes = kMaxReadFileBytes);
// The same text in a buffer that is never zero-filled: a file already in that form (as every
// file the program writes is) comes back as read, after one scan; any other is converted in one
// pass. For the cache, a file of megabytes.
FileBlock ReadCrLfBlock(const std::u16string& path, uint64_t maxBytes = kMaxReadFileBytes);
// Lines written with CR LF after each one, atomically.
void SaveLines(const std::u16string& path, const std::vector<std::string>& lines);

}  // namespace tessel
