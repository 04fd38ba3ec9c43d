#include "xml/xml_entities.h"

#include <type_traits>

#include "base/errors.h"

namespace tessel::xml_entities {

namespace {

template <class CharT>
CharT LowerUnit(CharT c) {
    return (c >= 'A' && c <= 'Z') ? CharT(c + ('a' - 'A')) : c;
}

template <class CharT>
int HexValue(CharT c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <class CharT>
bool SameLower(std::basic_string_view<CharT> reference, std::string_view lower) {
    if (reference.size() != lower.size()) return false;
    for (size_t i = 0; i < lower.size(); ++i)
        if (LowerUnit(reference[i]) != CharT(static_cast<unsigned char>(lower[i]))) return false;
    return true;
}

template <class CharT>
[[noreturn]] void RaiseInvalidLiteral(std::basic_string_view<CharT> reference) {
    std::string text;
    text.reserve(reference.size());
    for (CharT c : reference) {
        const auto unit = static_cast<std::make_unsigned_t<CharT>>(LowerUnit(c));
        text.push_back(unit <= 0xFF ? char(unit) : '?');
    }
    throw EError("Invalid XML literal " + text);
}

// `reference` runs from "&" up to, not including, ";".
template <class CharT>
void AppendReference(std::basic_string<CharT>& out, std::basic_string_view<CharT> reference) {
    if (SameLower(reference, "&amp")) out.push_back('&');
    else if (SameLower(reference, "&lt")) out.push_back('<');
    else if (SameLower(reference, "&gt")) out.push_back('>');
    else if (SameLower(reference, "&quot")) out.push_back('"');
    else if (SameLower(reference, "&apos")) out.push_back('\'');
    else if (reference.size() >= 3 && SameLower(reference.substr(0, 3), "&#x")) {
        // Each pair of digits is one 8-bit character, widened byte for byte.
        for (size_t i = 3; i + 1 < reference.size(); i += 2) {
            const int high = HexValue(reference[i]), low = HexValue(reference[i + 1]);
            if (high < 0 || low < 0) break;
            out.push_back(CharT(static_cast<unsigned char>(high * 16 + low)));
        }
    } else {
        RaiseInvalidLiteral(reference);
    }
}

template <class CharT>
std::basic_string<CharT> DecodeTextImpl(std::basic_string_view<CharT> text) {
    std::basic_string<CharT> out;
    out.reserve(text.size());
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t amp = text.find(CharT('&'), pos);
        if (amp == text.npos) {
            out.append(text.substr(pos));
            break;
        }
        out.append(text.substr(pos, amp - pos));
        const size_t semicolon = text.find(CharT(';'), amp);
        if (semicolon == text.npos) break;  // an unterminated reference drops the rest
        AppendReference(out, text.substr(amp, semicolon - amp));
        pos = semicolon + 1;
    }
    return out;
}

template <class Out>
void AppendAscii(Out& out, std::string_view ascii) {
    out.append(ascii.begin(), ascii.end());
}

template <class Out, class In>
void AppendEscapedImpl(Out& out, std::basic_string_view<In> text) {
    using Unit = typename Out::value_type;
    for (const In unit : text) {
        const char16_t c = static_cast<std::make_unsigned_t<In>>(unit);
        switch (c) {
            case u'"': AppendAscii(out, "&quot;"); break;
            case u'&': AppendAscii(out, "&amp;"); break;
            case u'\'': AppendAscii(out, "&apos;"); break;
            case u'<': AppendAscii(out, "&lt;"); break;
            case u'>': AppendAscii(out, "&gt;"); break;
            default:
                if constexpr (sizeof(Unit) == 1) out.push_back(c <= 0xFF ? char(c) : '?');
                else out.push_back(c);
        }
    }
}

template <class CharT>
bool StartsWith(std::basic_string_view<CharT> text, size_t at, std::string_view word) {
    if (text.size() - at < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i)
        if (text[at + i] != CharT(word[i])) return false;
    return true;
}

}  // namespace

std::string DecodeText(std::string_view text) { return DecodeTextImpl(text); }
std::u16string DecodeText(std::u16string_view text) { return DecodeTextImpl(text); }

void AppendEscaped(std::string& out, std::u16string_view text) { AppendEscapedImpl(out, text); }
void AppendEscaped(std::u16string& out, std::u16string_view text) { AppendEscapedImpl(out, text); }
void AppendEscaped(std::string& out, std::string_view bytes) { AppendEscapedImpl(out, bytes); }
void AppendEscaped(std::u16string& out, std::string_view bytes) { AppendEscapedImpl(out, bytes); }

// "&" followed by any number of "amp;" and then "quot;": the escaped forms of a double quote.
template <class CharT>
bool HoldsQuoteReference(std::basic_string_view<CharT> value) {
    for (size_t at = value.find(CharT('&')); at != value.npos; at = value.find(CharT('&'), at + 1)) {
        size_t next = at + 1;
        while (StartsWith(value, next, "amp;")) next += 4;
        if (StartsWith(value, next, "quot;")) return true;
    }
    return false;
}

template <class CharT>
bool NeedsQuoteEscape(std::basic_string_view<CharT> value) {
    return value.find(CharT('"')) != value.npos || HoldsQuoteReference(value);
}

template <class CharT>
std::basic_string<CharT> EscapeQuotedValue(std::basic_string_view<CharT> value) {
    std::basic_string<CharT> out;
    out.reserve(value.size() + 16);
    for (CharT c : value) {
        if (c == CharT('"')) for (char r : std::string_view("&quot;")) out.push_back(CharT(r));
        else if (c == CharT('&')) for (char r : std::string_view("&amp;")) out.push_back(CharT(r));
        else out.push_back(c);
    }
    return out;
}

template <class CharT>
std::basic_string<CharT> DecodeQuotedValue(std::basic_string_view<CharT> value) {
    std::basic_string<CharT> out;
    out.reserve(value.size());
    for (size_t i = 0; i < value.size();) {
        if (StartsWith(value, i, "&quot;")) {
            out.push_back(CharT('"'));
            i += 6;
        } else if (StartsWith(value, i, "&amp;")) {
            out.push_back(CharT('&'));
            i += 5;
        } else {
            out.push_back(value[i++]);
        }
    }
    return out;
}

template bool HoldsQuoteReference<char>(std::string_view);
template bool HoldsQuoteReference<char16_t>(std::u16string_view);
template bool NeedsQuoteEscape<char>(std::string_view);
template bool NeedsQuoteEscape<char16_t>(std::u16string_view);
template std::string EscapeQuotedValue<char>(std::string_view);
template std::u16string EscapeQuotedValue<char16_t>(std::u16string_view);
template std::string DecodeQuotedValue<char>(std::string_view);
template std::u16string DecodeQuotedValue<char16_t>(std::u16string_view);

}  // namespace tessel::xml_entities
