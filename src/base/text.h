#pragma once
// Text conversions shared by the whole core.
//
// 8-bit texts are byte strings (std::string) and wide texts are UTF-16 (std::u16string) on every
// platform. The "system code page" that narrows and widens between them is the identity on bytes:
// byte b is the code unit b and back. Feed replies are UTF-8 bytes that travel through the 8-bit
// path of the XML library, so every byte must survive the round trip untouched; they are decoded
// as UTF-8 only where they are shown.
#include <string>
#include <string_view>

namespace tessel {

// Byte b becomes code unit b.
std::u16string Widen(std::string_view bytes);
// Code unit u becomes byte u; units above 0xFF have no byte and become '?'.
std::string Narrow(std::u16string_view text);

// UTF-8 <-> UTF-16. Malformed UTF-8 decodes to U+FFFD per bad byte; lone surrogates encode as U+FFFD.
std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view text);

// Removes leading and trailing characters up to and including the blank (codes 0..32).
std::string Trim(std::string_view text);
std::u16string Trim(std::u16string_view text);

// Changes the 26 ASCII letters only; every other unit is left as it is.
std::string LowerAscii(std::string_view text);
std::string UpperAscii(std::string_view text);
std::u16string LowerAscii(std::u16string_view text);
std::u16string UpperAscii(std::u16string_view text);

// Lone CRs become CR LF pairs, as the status texts break their lines and the panels that show
// them (static controls, DrawText) want them; pairs stay as they are.
std::u16string WithCrLf(const std::u16string& text);

bool SameTextAscii(std::string_view a, std::string_view b);
bool SameTextAscii(std::u16string_view a, std::u16string_view b);
// Whether text begins or ends with the affix, comparing as SameTextAscii does.
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix);

}  // namespace tessel
