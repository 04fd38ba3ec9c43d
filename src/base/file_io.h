#pragma once
// File access for the stores. Paths are UTF-16 on every platform (the program folder may hold any
// character); contents are bytes.
//
// Every file the program writes is replaced atomically: the new contents go to a temporary file in
// the same folder, are flushed to the disk, and the temporary file is renamed over the old one.
// A crash or a full disk during a save leaves the previous file whole.
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

#ifdef _WIN32
inline constexpr char16_t kPathSeparator = u'\\';
#else
inline constexpr char16_t kPathSeparator = u'/';
#endif

bool FileExists(const std::u16string& path);
// Raises EFileError naming the file when it cannot be read.
std::string ReadFileBytes(const std::u16string& path);
// Raises EFileError when the file cannot be written; the old file, if any, is then unchanged.
void WriteFileAtomic(const std::u16string& path, std::string_view bytes);
// Removes the file; false when it could not be removed (a missing file counts as removed).
bool RemoveFile(const std::u16string& path);
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
std::string ReadTextAsCrLf(const std::u16string& path);
// Lines written with CR LF after each one, atomically.
void SaveLines(const std::u16string& path, const std::vector<std::string>& lines);

}  // namespace tessel
