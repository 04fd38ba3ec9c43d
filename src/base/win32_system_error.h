#pragma once
// The one way a failed system call becomes text (Windows build only). Every message that tells
// of a failed file call, WinINet call or window creation carries the system's own words for the
// error code, in UTF-8 like every other message, so the status panel, the message boxes and
// tessel-tool's "error: " show what the system said rather than a bare number.
//
// Codes are GetLastError's; the header takes them as uint32_t so that it needs no windows.h.
#include <cstdint>
#include <string>

namespace tessel {

// The system's text for an error code, without its trailing line break: WinINet's own message
// table for its codes (12000 to 12999), the system's for the others; "error N" when neither has
// a text for the code.
std::string SystemErrorText(uint32_t code);

// SystemErrorText for a WinINet call that just failed on this thread with code, followed by the
// server's last answer (InternetGetLastResponseInfo) when the failure carries one
// (ERROR_INTERNET_EXTENDED_ERROR), trimmed and cut to kMaxResponseInfoBytes.
std::string InternetErrorText(uint32_t code);
inline constexpr size_t kMaxResponseInfoBytes = 300;

// Raises EError "what: <SystemErrorText(code)>"; just "what" when code is 0, which means the
// system did not say why.
[[noreturn]] void RaiseSystemError(const std::string& what, uint32_t code);
// RaiseSystemError with GetLastError's code; call it straight after the call that failed.
[[noreturn]] void RaiseLastSystemError(const std::string& what);

}  // namespace tessel
