#pragma once
// String values under HKEY_CURRENT_USER, for "start with Windows". The key is opened, and created
// when it is missing; every failure is swallowed, because the caller has nothing better to do than
// carry on without the setting. Windows build only (win32_registry.cpp).
#include <string>

namespace tessel {

// key is a path below HKEY_CURRENT_USER such as "\SOFTWARE\Microsoft\Windows\CurrentVersion\Run";
// a leading backslash is allowed.
void RegWriteUserString(const std::u16string& key, const std::u16string& name, const std::u16string& value) noexcept;
void RegDeleteUserValue(const std::u16string& key, const std::u16string& name) noexcept;

}  // namespace tessel
