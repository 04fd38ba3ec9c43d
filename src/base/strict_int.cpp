#include "base/strict_int.h"

#include "base/errors.h"
#include "base/text.h"

namespace tessel {

bool TryStrToInt(std::string_view text, int32_t& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= text.size()) return false;
    // Hexadecimal texts may spell the full 32-bit pattern ($FFFFFFFF is -1), decimal ones may not.
    const uint64_t limit = base == 16 ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
    uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit;
        if (c >= '0' && c <= '9') digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        else return false;
        magnitude = magnitude * base + digit;
        if (magnitude > limit) return false;
    }
    const uint32_t bits = negative ? uint32_t(0u - uint32_t(magnitude)) : uint32_t(magnitude);
    value = static_cast<int32_t>(bits);
    return true;
}

int32_t StrToInt(std::string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(text, value)) RaiseNotAnInteger(std::string(text));
    return value;
}

int32_t StrToInt(std::u16string_view text) {
    int32_t value = 0;
    if (!TryStrToInt(Narrow(text), value)) RaiseNotAnInteger(Utf16ToUtf8(text));
    return value;
}

bool TryParseLength(std::string_view text, uint64_t& value) {
    if (text.empty() || text.size() > 18) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

}  // namespace tessel
