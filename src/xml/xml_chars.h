#pragma once
// Character classes of the two tokenizers.
//
// The 8-bit tokenizer classifies bytes with a fixed table (bytes 0..32 are blanks; letters, ":"
// "_" and the Latin-1 letters 0xC0..0xFF start names). The UTF-16 tokenizer classifies each code
// unit by the letter, digit, combining and extender classes of XML 1.0, Appendix B.
#include <array>
#include <cstddef>
#include <cstdint>

namespace tessel::xml_chars {

enum : uint8_t {
    kBlank = 1,
    kNameStart = 2,
    kNameChar = 4,
    kValueChar = 8,  // may stand in an unquoted attribute value
};

constexpr std::array<uint8_t, 256> MakeByteClasses() {
    std::array<uint8_t, 256> table{};
    for (int b = 0; b <= 32; ++b) table[b] = kBlank;
    auto letter = [&](int b) { table[b] = kNameStart | kNameChar | kValueChar; };
    for (int b = 'A'; b <= 'Z'; ++b) letter(b);
    for (int b = 'a'; b <= 'z'; ++b) letter(b);
    for (int b = 0xC0; b <= 0xFF; ++b)
        if (b != 0xD7 && b != 0xF7) letter(b);
    for (int b = '0'; b <= '9'; ++b) table[b] = kNameChar | kValueChar;
    table[':'] = table['_'] = kNameStart | kNameChar;
    table['-'] = table['.'] = kNameChar;
    return table;
}

// Flags of each byte for the 8-bit tokenizer.
inline constexpr std::array<uint8_t, 256> kByteClass = MakeByteClasses();

// The first position at or after pos whose byte is not blank (above 32), or size. The lines of a
// stored file start with a run of indentation: sixteen bytes a step where the processor allows.
size_t SkipByteBlanks(const char* text, size_t pos, size_t size);

// Flags of each UTF-16 code unit for the UTF-16 tokenizer.
uint8_t WideClass(char16_t unit);

// The classes of XML 1.0, Appendix B, over the Basic Multilingual Plane.
bool IsBaseChar(char16_t unit);
bool IsIdeographic(char16_t unit);
bool IsDigit(char16_t unit);
bool IsCombiningChar(char16_t unit);
bool IsExtender(char16_t unit);

}  // namespace tessel::xml_chars
