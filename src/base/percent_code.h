#pragma once
// Percent-encoding of address parts: the client's sign-in and web addresses, its request lines,
// and the local calendar service's feed addresses and queries.
#include <string>
#include <string_view>

namespace tessel {

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);
// Every byte outside the unreserved set (letters, digits, "-", ".", "_", "~") becomes %XX.
std::string PercentEncode(std::string_view text);
// %XX becomes the byte XX; a '%' not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text);

}  // namespace tessel
