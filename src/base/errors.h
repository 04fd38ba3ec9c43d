#pragma once
// The program's error classes. Every failure the core raises derives from EError, so a caller
// that shows errors to the user (a message box, a status text, tessel-tool's "error: ") catches
// one type and reads what().
#include <stdexcept>
#include <string>

namespace tessel {

class EError : public std::runtime_error {
public:
    explicit EError(const std::string& message) : std::runtime_error(message) {}
};

// A text that is not a number, a date that does not exist.
class EConvertError : public EError {
public:
    using EError::EError;
};

// Reading or writing a file failed; the message names the file and the system's reason. Code
// is the system's error code for the failed call (GetLastError's on Windows), 0 when the failure
// was ours (not a regular file, too large).
class EFileError : public EError {
public:
    explicit EFileError(const std::string& message, unsigned long code = 0) : EError(message), Code(code) {}
    unsigned long Code;
};

// "'abc' is not a valid integer value"
[[noreturn]] void RaiseNotAnInteger(const std::string& text);

}  // namespace tessel
