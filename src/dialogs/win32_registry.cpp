// The registry half of the start-with-Windows setting: one string value under a key of the current
// user, written or deleted. The key is created on the way when it is missing.
#include "dialogs/registry.h"

#include <windows.h>

#include <memory>
#include <type_traits>

namespace tessel {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Win32 wide texts are UTF-16");

struct RegKeyCloser {
    void operator()(HKEY key) const noexcept { RegCloseKey(key); }
};
using RegKeyHandle = std::unique_ptr<std::remove_pointer_t<HKEY>, RegKeyCloser>;

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// Key paths are written as from the root ("\SOFTWARE\..."), but the API takes them relative to
// HKEY_CURRENT_USER and refuses a leading separator.
std::u16string RelativeKeyPath(const std::u16string& key) {
    const size_t first = key.find_first_not_of(u'\\');
    return first == std::u16string::npos ? std::u16string() : key.substr(first);
}

RegKeyHandle OpenOrCreateUserKey(const std::u16string& key) {
    HKEY opened = nullptr;
    const LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, Wide(RelativeKeyPath(key)), 0, nullptr,
                                           REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &opened, nullptr);
    return RegKeyHandle(status == ERROR_SUCCESS ? opened : nullptr);
}

}  // namespace

void RegWriteUserString(const std::u16string& key, const std::u16string& name, const std::u16string& value) noexcept {
    try {
        if (value.size() >= MAXDWORD / sizeof(wchar_t)) return;
        const RegKeyHandle handle = OpenOrCreateUserKey(key);
        if (!handle) return;
        const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));  // with the terminator
        RegSetValueExW(handle.get(), Wide(name), 0, REG_SZ, reinterpret_cast<const BYTE*>(Wide(value)), bytes);
    } catch (...) {
        // Out of memory while building the path: the setting is simply not stored.
    }
}

void RegDeleteUserValue(const std::u16string& key, const std::u16string& name) noexcept {
    try {
        const RegKeyHandle handle = OpenOrCreateUserKey(key);
        if (handle) RegDeleteValueW(handle.get(), Wide(name));
    } catch (...) {
    }
}

}  // namespace tessel
