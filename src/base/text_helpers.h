#pragma once
// Small text helpers shared by the HTTP transport and the balloon windows.
#include <cstdint>
#include <string>
#include <string_view>

namespace tessel {

// The 1-based position of the last ch in text, 0 when there is none.
int LastCharPos(char ch, std::string_view text);
int LastCharPos(char16_t ch, std::u16string_view text);

// "1,500": the digits in groups of three, for messages.
std::string GroupedThousands(uint64_t value);

// The wide text in the system's 8-bit code page (the byte-identity one of this program: units
// above 0xFF become "?").
std::string WideToAnsi(std::u16string_view text);

// A text for a message box that fits a screen. The box is as wide as the longest run of
// characters without a blank and as tall as the text's lines: a run longer than kMessageLongWord
// characters keeps its beginning and end around "...", what remains longer than kMessageLineChars
// is broken into lines of that length, and past kMessageMaxLines lines (counting the lines the box
// wraps itself at about kMessageLineChars) the text is cut and ends in "...". Surrogate pairs stay
// whole. Short texts come back unchanged.
inline constexpr size_t kMessageLineChars = 80;
inline constexpr size_t kMessageLongWord = 240;
inline constexpr size_t kMessageMaxLines = 24;
std::u16string FitMessageText(std::u16string_view text);

}  // namespace tessel
