#pragma once
// Percent-encoding of address parts: the client's sign-in and web addresses, its request lines,
// and the local calendar service's feed addresses and queries; and base64, for the credentials
// of a Basic Authorization header.
#include <string>
#include <string_view>

namespace tessel {

// The value of a hexadecimal digit of either case; -1 for any other character.
int HexDigitValue(char c);
// Every byte outside the unreserved set (letters, digits, "-", ".", "_", "~") becomes %XX.
std::string PercentEncode(std::string_view text);
// %XX becomes the byte XX; a '%' not followed by two hex digits stays as it is.
std::string PercentDecode(std::string_view text);
// RFC 4648 base64 with padding.
std::string Base64Encode(std::string_view bytes);

}  // namespace tessel
