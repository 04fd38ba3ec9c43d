#include "base/text_helpers.h"

#include "base/text.h"

namespace tessel {

namespace {

template <class Char>
int LastPos(Char ch, std::basic_string_view<Char> text) {
    const size_t at = text.rfind(ch);
    return at == std::basic_string_view<Char>::npos ? 0 : static_cast<int>(at) + 1;
}

}  // namespace

int LastCharPos(char ch, std::string_view text) { return LastPos(ch, text); }

int LastCharPos(char16_t ch, std::u16string_view text) { return LastPos(ch, text); }

std::string WideToAnsi(std::u16string_view text) { return Narrow(text); }

namespace {

bool IsLineBreak(char16_t c) { return c == u'\r' || c == u'\n'; }
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || IsLineBreak(c); }

// at moved back by one when it would split a surrogate pair.
size_t WholeCharAt(std::u16string_view text, size_t at) {
    if (at > 0 && at < text.size() && text[at - 1] >= 0xD800 && text[at - 1] <= 0xDBFF) return at - 1;
    return at;
}

}  // namespace

std::u16string FitMessageText(std::u16string_view text) {
    constexpr std::u16string_view kEllipsis = u"...";
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        if (IsBlank(text[i])) {
            out += text[i++];
            continue;
        }
        size_t end = i;
        while (end < text.size() && !IsBlank(text[end])) ++end;
        std::u16string_view word = text.substr(i, end - i);
        std::u16string shortened;
        if (word.size() > kMessageLongWord) {
            const size_t head = WholeCharAt(word, kMessageLongWord * 2 / 3);
            const size_t tail = WholeCharAt(word, word.size() - kMessageLongWord / 4);
            shortened = std::u16string(word.substr(0, head));
            shortened.append(kEllipsis).append(word.substr(tail));
            word = shortened;
        }
        for (size_t at = 0; at < word.size();) {
            const size_t next =
                at + kMessageLineChars >= word.size() ? word.size() : WholeCharAt(word, at + kMessageLineChars);
            if (at > 0) out += u'\n';
            out += word.substr(at, next - at);
            at = next;
        }
        i = end;
    }

    // The lines as the box shows them: each text line takes one screen line per kMessageLineChars.
    size_t lines = 1, column = 0;
    for (size_t i = 0; i < out.size(); ++i) {
        const bool lineBreak = IsLineBreak(out[i]);
        if (lineBreak || column == kMessageLineChars) {
            if (++lines > kMessageMaxLines) {
                size_t cut = WholeCharAt(out, i);
                while (cut > 0 && IsBlank(out[cut - 1])) --cut;
                out.resize(cut);
                return out + std::u16string(kEllipsis);
            }
            column = 0;
        }
        if (lineBreak) {
            if (out[i] == u'\r' && i + 1 < out.size() && out[i + 1] == u'\n') ++i;
            continue;
        }
        ++column;
    }
    return out;
}

std::string GroupedThousands(uint64_t value) {
    const std::string digits = std::to_string(value);
    std::string text;
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

}  // namespace tessel
