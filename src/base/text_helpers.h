#pragma once
// Small text helpers shared by the HTTP transport and the balloon windows.
#include <string>
#include <string_view>

namespace tessel {

// The 1-based position of the last ch in text, 0 when there is none.
int LastCharPos(char ch, std::string_view text);
int LastCharPos(char16_t ch, std::u16string_view text);

// The wide text in the system's 8-bit code page (the byte-identity one of this program: units
// above 0xFF become "?").
std::string WideToAnsi(std::u16string_view text);

}  // namespace tessel
