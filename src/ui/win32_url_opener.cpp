#include "ui/win32_url_opener.h"

#include <shellapi.h>

#include "base/text.h"
#include "win32/win32_text.h"

namespace tessel {

void TShellUrlOpener::Open(const std::string& url) {
    const std::u16string wide = Widen(url);
    ShellExecuteW(owner_, L"Open", win32::W(wide), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace tessel
