#include "base/win32_system_error.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <vector>

#include "base/errors.h"
#include "base/text.h"

namespace tessel {

namespace {

constexpr uint32_t kFirstInternetError = INTERNET_ERROR_BASE;  // 12000
constexpr uint32_t kLastInternetError = INTERNET_ERROR_BASE + 999;
// A server's answer longer than this is cut anyway; it only bounds the second ask.
constexpr DWORD kMaxResponseInfoUnits = 65536;

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

// One line of printable text: a server's answer may run over several lines and hold anything.
std::string OneBoundedLine(std::string_view text, size_t maxBytes) {
    std::string line;
    for (unsigned char c : text) {
        if (c < 0x20 || c == 0x7F) {
            if (!line.empty() && line.back() != ' ') line += ' ';
        } else {
            line += char(c);
        }
    }
    line = Trim(line);
    if (line.size() <= maxBytes) return line;
    // Cut before a character, never inside one.
    size_t cut = maxBytes;
    while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
    line.resize(cut);
    return Trim(line) + "...";
}

// What the server last answered on this thread, for an extended error.
std::string LastResponseInfo() {
    std::vector<wchar_t> buffer(1024 + 1, L'\0');
    DWORD reported = 0;
    DWORD units = DWORD(buffer.size() - 1);
    if (!InternetGetLastResponseInfoW(&reported, buffer.data(), &units)) {
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::string();
        units = std::min(units + 1, kMaxResponseInfoUnits);
        buffer.assign(size_t(units) + 1, L'\0');
        if (!InternetGetLastResponseInfoW(&reported, buffer.data(), &units)) return std::string();
    }
    units = std::min<DWORD>(units, DWORD(buffer.size() - 1));
    const std::u16string_view info(reinterpret_cast<const char16_t*>(buffer.data()), units);
    return OneBoundedLine(Utf16ToUtf8(info.substr(0, info.find(u'\0'))), kMaxResponseInfoBytes);
}

}  // namespace

std::string SystemErrorText(uint32_t code) {
    std::string text;
    if (code >= kFirstInternetError && code <= kLastInternetError && InternetMessages())
        text = MessageText(code, FORMAT_MESSAGE_FROM_HMODULE, InternetMessages());
    if (text.empty()) text = MessageText(code, FORMAT_MESSAGE_FROM_SYSTEM, nullptr);
    return text.empty() ? "error " + std::to_string(code) : text;
}

std::string InternetErrorText(uint32_t code) {
    std::string text = SystemErrorText(code);
    // Only an extended error leaves an answer of its own: after any other failure the thread's
    // response info is whatever an earlier call left there.
    if (code == ERROR_INTERNET_EXTENDED_ERROR) {
        const std::string info = LastResponseInfo();
        if (!info.empty()) text += " The server answered: " + info;
    }
    return text;
}

void RaiseSystemError(const std::string& what, uint32_t code) {
    if (code == 0) throw EError(what);
    throw EError(what + ": " + SystemErrorText(code));
}

void RaiseLastSystemError(const std::string& what) { RaiseSystemError(what, GetLastError()); }

}  // namespace tessel
