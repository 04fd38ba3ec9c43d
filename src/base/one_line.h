#pragma once
// A text from outside (a server's answer, several lines long and holding anything) made fit to
// stand in a one-line message.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessel {

// Every run of blanks and control characters (line breaks included) becomes one blank, the ends
// are trimmed, and a text longer than maxBytes is cut before the character that would cross the
// limit (never inside a UTF-8 sequence) and ends in "...".
std::string OneLine(std::string_view text, size_t maxBytes);

}  // namespace tessel
