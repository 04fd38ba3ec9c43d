#pragma once
// Entity references: decoding of text pieces, escaping for the writer, and the quote escaping of
// attribute values that would otherwise not survive a write and a read.
#include <string>
#include <string_view>

namespace tessel::xml_entities {

// Decodes &amp; &gt; &lt; &quot; &apos; (any letter case) and &#x references, whose hexadecimal
// digits are read in pairs, one byte each. Any other reference, decimal ones included, raises
// EError "Invalid XML literal " + the reference, lower-cased. An "&" with no ";" after it ends
// the text.
std::string DecodeText(std::string_view text);
std::u16string DecodeText(std::u16string_view text);

// Appends the text with " & ' < > replaced by their references. Bytes are units below 0x100;
// units above 0xFF become "?" in 8-bit output.
void AppendEscaped(std::string& out, std::u16string_view text);
void AppendEscaped(std::u16string& out, std::u16string_view text);
void AppendEscaped(std::string& out, std::string_view bytes);
void AppendEscaped(std::u16string& out, std::string_view bytes);

// An attribute value is written between double quotes and read back without decoding, except
// that a value holding a double quote (or text that reads as an escaped one: "&quot;",
// "&amp;quot;", ...) is written with " as &quot; and & as &amp;, and a read value holding such
// a reference is decoded in those two references alone. Every other value keeps its bytes.
template <class CharT>
bool HoldsQuoteReference(std::basic_string_view<CharT> value);
template <class CharT>
bool NeedsQuoteEscape(std::basic_string_view<CharT> value);
template <class CharT>
std::basic_string<CharT> EscapeQuotedValue(std::basic_string_view<CharT> value);
template <class CharT>
std::basic_string<CharT> DecodeQuotedValue(std::basic_string_view<CharT> value);

// The opening a comment is written with. A text that begins with ">" gets a blank after "<!--":
// written straight after the dashes, "<!-->" would read back as a whole, empty comment, and the
// rest of the text as markup.
inline const char* CommentOpening(char16_t first) { return first == u'>' ? "<!-- " : "<!--"; }
inline const char* CommentOpening(std::u16string_view text) { return CommentOpening(text.empty() ? 0 : text.front()); }

}  // namespace tessel::xml_entities
