#pragma once
// UTF-16 texts at the Win32 boundary: the core's std::u16string and Windows' wchar_t are the
// same 16-bit units on Windows, so the conversion is a cast.
#include <windows.h>

#include <string>
#include <string_view>

namespace tessel::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide texts are UTF-16");

inline const wchar_t* W(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }
inline wchar_t* W(std::u16string& text) { return reinterpret_cast<wchar_t*>(text.data()); }

inline std::u16string FromW(const wchar_t* text) {
    return text ? std::u16string(reinterpret_cast<const char16_t*>(text)) : std::u16string();
}
inline std::u16string FromW(const wchar_t* text, size_t length) {
    return std::u16string(reinterpret_cast<const char16_t*>(text), length);
}

}  // namespace tessel::win32
