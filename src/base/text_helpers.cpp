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

}  // namespace tessel
