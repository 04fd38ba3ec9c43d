#pragma once
// What Windows accepts as the name of a file in a folder, for names made from data (an account
// name, an address from the network).
#include <cstddef>
#include <string_view>

namespace tessel {

// The longest name a folder entry may have.
inline constexpr size_t kMaxFileNameChars = 255;

// Not empty, at most maxChars UTF-16 units, no control character or any of \ / : * ? " < > |, no
// trailing dot or blank, and not a device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM1-9,
// LPT1-9, with or without an extension, in any letter case).
bool IsValidFileName(std::u16string_view name, size_t maxChars = kMaxFileNameChars);

}  // namespace tessel
