#pragma once
// Opening an address in the user's browser, behind an interface so that tests record the
// address instead of starting a browser. The Windows build asks the shell (win32_url_opener.h).
#include <string>

namespace tessel {

class IUrlOpener {
public:
    virtual ~IUrlOpener() = default;
    // Failures are not reported: the program has nothing to add to the shell's own message.
    virtual void Open(const std::string& url) = 0;
};

}  // namespace tessel
