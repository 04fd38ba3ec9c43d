#include "base/text.h"

namespace tessel {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

template <class Char>
constexpr Char LowerUnit(Char c) { return (c >= 'A' && c <= 'Z') ? Char(c + ('a' - 'A')) : c; }
template <class Char>
constexpr Char UpperUnit(Char c) { return (c >= 'a' && c <= 'z') ? Char(c - ('a' - 'A')) : c; }

template <class Char>
std::basic_string<Char> TrimImpl(std::basic_string_view<Char> text) {
    size_t first = 0, last = text.size();
    while (first < last && static_cast<unsigned>(text[first]) <= ' ') ++first;
    while (last > first && static_cast<unsigned>(text[last - 1]) <= ' ') --last;
    return std::basic_string<Char>(text.substr(first, last - first));
}

template <class Char, Char (*Map)(Char)>
std::basic_string<Char> MapImpl(std::basic_string_view<Char> text) {
    std::basic_string<Char> out(text);
    for (auto& c : out) c = Map(c);
    return out;
}

template <class Char>
bool SameTextImpl(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerUnit(a[i]) != LowerUnit(b[i])) return false;
    return true;
}

void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(char16_t(0xD800 + (cp >> 10)));
        out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(char16_t(cp));
    }
}

}  // namespace

std::u16string Widen(std::string_view bytes) {
    std::u16string out(bytes.size(), u'\0');
    for (size_t i = 0; i < bytes.size(); ++i) out[i] = static_cast<unsigned char>(bytes[i]);
    return out;
}

std::string Narrow(std::u16string_view text) {
    std::string out(text.size(), '\0');
    for (size_t i = 0; i < text.size(); ++i) out[i] = text[i] <= 0xFF ? char(text[i]) : '?';
    return out;
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    const size_t n = utf8.size();
    size_t i = 0;
    while (i < n) {
        const unsigned char b = utf8[i];
        if (b < 0x80) { out.push_back(b); ++i; continue; }
        int extra;
        char32_t cp, min;
        if ((b & 0xE0) == 0xC0) { extra = 1; cp = b & 0x1F; min = 0x80; }
        else if ((b & 0xF0) == 0xE0) { extra = 2; cp = b & 0x0F; min = 0x800; }
        else if ((b & 0xF8) == 0xF0) { extra = 3; cp = b & 0x07; min = 0x10000; }
        else { out.push_back(kReplacement); ++i; continue; }
        if (i + extra >= n) {  // truncated sequence
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        bool ok = true;
        for (int k = 1; k <= extra; ++k) {
            const unsigned char c = utf8[i + k];
            if ((c & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (c & 0x3F);
        }
        if (!ok || cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        AppendUtf16(out, cp);
        i += extra + 1;
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::string Trim(std::string_view text) { return TrimImpl(text); }
std::u16string Trim(std::u16string_view text) { return TrimImpl(text); }

std::string LowerAscii(std::string_view text) { return MapImpl<char, LowerUnit<char>>(text); }
std::string UpperAscii(std::string_view text) { return MapImpl<char, UpperUnit<char>>(text); }
std::u16string LowerAscii(std::u16string_view text) { return MapImpl<char16_t, LowerUnit<char16_t>>(text); }
std::u16string UpperAscii(std::u16string_view text) { return MapImpl<char16_t, UpperUnit<char16_t>>(text); }

bool SameTextAscii(std::string_view a, std::string_view b) { return SameTextImpl(a, b); }
bool SameTextAscii(std::u16string_view a, std::u16string_view b) { return SameTextImpl(a, b); }

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && SameTextAscii(text.substr(0, prefix.size()), prefix);
}

bool EndsWithNoCase(std::u16string_view text, std::u16string_view suffix) {
    return text.size() >= suffix.size() && SameTextAscii(text.substr(text.size() - suffix.size()), suffix);
}

std::u16string WithCrLf(const std::u16string& text) {
    std::u16string out;
    for (size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] == u'\r' && (i + 1 >= text.size() || text[i + 1] != u'\n')) out += u'\n';
    }
    return out;
}

}  // namespace tessel
