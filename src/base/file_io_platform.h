#pragma once
// What file_io.cpp asks of the platform halves (file_io_posix.cpp, win32_file_io.cpp), and what
// they share of it.
#include <cstdint>
#include <memory>
#include <string>

#include "base/crlf_pieces.h"

namespace tessel {

// EFileError: the file holds more than its kind may.
[[noreturn]] void RaiseFileTooLarge(const std::u16string& path, uint64_t maxBytes);

// The file opened for reading in steps, refused as ReadFileBytes refuses it (EFileError) when
// it cannot be opened, is not a regular file or is larger than maxBytes now; the reads
// themselves do not count.
std::unique_ptr<ByteReader> OpenPlatformFileReader(const std::u16string& path, uint64_t maxBytes);

}  // namespace tessel
