#include "update/download_names.h"

#include "base/file_names.h"
#include "base/percent_code.h"
#include "base/text.h"

namespace tessel::update {

bool IsWebAddress(std::string_view url) {
    size_t hostStart = 0;
    if (StartsWithNoCase(url, "http://")) hostStart = 7;
    else if (StartsWithNoCase(url, "https://")) hostStart = 8;
    else return false;
    for (char c : url)
        if (static_cast<unsigned char>(c) <= 0x20) return false;
    return hostStart < url.size() && url[hostStart] != '/';
}

bool IsSafeFileName(std::u16string_view name) {
    if (!IsValidFileName(name, 200)) return false;
    if (name.find(u"..") != std::u16string_view::npos || name.front() == u' ') return false;
    // The working names of the update itself: a download must not be mistaken for one of them.
    return !EndsWithNoCase(name, kDownloadSuffix) && !EndsWithNoCase(name, kBackupSuffix);
}

bool DownloadFileName(std::string_view url, std::u16string& name) {
    if (!IsWebAddress(url)) return false;
    url = url.substr(0, url.find_first_of("?#"));
    const size_t pathStart = url.find('/', url.find("//") + 2);
    if (pathStart == std::string_view::npos) return false;
    const std::string decoded = PercentDecode(url.substr(url.rfind('/') + 1));
    // Names are read as UTF-8; a byte that is not becomes U+FFFD, which no file system refuses.
    name = Utf8ToUtf16(decoded);
    return IsSafeFileName(name);
}

}  // namespace tessel::update
