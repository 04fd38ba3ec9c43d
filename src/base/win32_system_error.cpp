#include "base/win32_system_error.h"

#include <windows.h>
#include <wininet.h>

#include "base/errors.h"
#include "base/text.h"

namespace tessel {

namespace {

constexpr uint32_t kFirstInternetError = INTERNET_ERROR_BASE;  // 12000
constexpr uint32_t kLastInternetError = INTERNET_ERROR_BASE + 999;

// WinINet keeps its texts in its own message table, not the system's. A program that made a
// WinINet call has the library loaded already; the others load it once, for its table.
HMODULE InternetMessages() {
    static const HMODULE module = [] {
        HMODULE loaded = GetModuleHandleW(L"wininet.dll");
        return loaded ? loaded : LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    }();
    return module;
}

std::string MessageText(DWORD code, DWORD source, HMODULE module) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | source, module,
                                   code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (n && buffer) text = Trim(Utf16ToUtf8(std::u16string_view(reinterpret_cast<char16_t*>(buffer), n)));
    if (buffer) LocalFree(buffer);
    return text;
}

}  // namespace

std::string SystemErrorText(uint32_t code) {
    std::string text;
    if (code >= kFirstInternetError && code <= kLastInternetError && InternetMessages())
        text = MessageText(code, FORMAT_MESSAGE_FROM_HMODULE, InternetMessages());
    if (text.empty()) text = MessageText(code, FORMAT_MESSAGE_FROM_SYSTEM, nullptr);
    return text.empty() ? "error " + std::to_string(code) : text;
}

void RaiseSystemError(const std::string& what, uint32_t code) {
    if (code == 0) throw EError(what);
    throw EError(what + ": " + SystemErrorText(code));
}

void RaiseLastSystemError(const std::string& what) { RaiseSystemError(what, GetLastError()); }

}  // namespace tessel
