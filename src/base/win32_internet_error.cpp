// InternetErrorText: kept apart from SystemErrorText so that a program that never calls WinINet
// (the upgrade runner) does not load the library for the texts of its file calls.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <vector>

#include "base/one_line.h"
#include "base/text.h"
#include "base/win32_system_error.h"

namespace tessel {

namespace {

// A server's answer longer than this is cut anyway; it only bounds the second ask.
constexpr DWORD kMaxResponseInfoUnits = 65536;

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
    return OneLine(Utf16ToUtf8(info.substr(0, info.find(u'\0'))), kMaxResponseInfoBytes);
}

}  // namespace

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

}  // namespace tessel
