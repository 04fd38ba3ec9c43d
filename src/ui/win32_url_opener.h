#pragma once
// The shell's "Open" verb on an address: the default browser, in a normal window.
#include <windows.h>

#include "ui/url_opener.h"

namespace tessel {

class TShellUrlOpener final : public IUrlOpener {
public:
    explicit TShellUrlOpener(HWND owner = nullptr) : owner_(owner) {}
    void Open(const std::string& url) override;

private:
    HWND owner_;
};

}  // namespace tessel
