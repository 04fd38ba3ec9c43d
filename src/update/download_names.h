#pragma once
// Where a downloaded file may go. A file's name comes from its address, and the address comes
// from the network: a name that could leave the program's folder, name a device or mean nothing
// is refused, and the file counts as one that cannot be fetched.
#include <string>
#include <string_view>

namespace tessel::update {

// Downloads are saved as their name followed by this, until the upgrade runner puts them in place.
inline constexpr char16_t kDownloadSuffix[] = u".uTMP";
// The copy of a replaced file the runner keeps until every file is in place.
inline constexpr char16_t kBackupSuffix[] = u".uBAK";

// An address the transfer may fetch or the browser may open: http:// or https:// and a host.
bool IsWebAddress(std::string_view url);

// The last path segment of an http(s) address, percent-decoded, without query or fragment; false
// when the address is not a web address or the name is not a safe file name.
bool DownloadFileName(std::string_view url, std::u16string& name);

// A plain file name: not empty, at most 200 characters, no path separator, drive, "..", control
// or reserved character, no trailing dot or blank, not a device name (CON, PRN, AUX, NUL, COM1-9,
// LPT1-9, with or without an extension) and not one of the update's own working names.
bool IsSafeFileName(std::u16string_view name);

}  // namespace tessel::update
