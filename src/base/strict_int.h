#pragma once
// Strict integer conversion of texts read from files. Anything but an optionally signed decimal
// number (or a hexadecimal one after "$" or "0x") raises "'<text>' is not a valid integer value".
// Leading blanks are allowed, trailing characters are not; the value must fit in 32 bits.
#include <cstdint>
#include <string_view>

namespace tessel {

int32_t StrToInt(std::string_view text);
int32_t StrToInt(std::u16string_view text);

// The same rules without raising: false when the text is not a valid integer.
bool TryStrToInt(std::string_view text, int32_t& value);

// A length as protocols write it (Content-Length): decimal digits only, at most 18 of them, so
// that it fits in 64 bits; false for anything else.
bool TryParseLength(std::string_view text, uint64_t& value);

}  // namespace tessel
