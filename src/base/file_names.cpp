#include "base/file_names.h"

#include <string>

#include "base/text.h"

namespace tessel {

namespace {

bool IsDeviceName(std::u16string_view name) {
    const std::u16string stem = UpperAscii(name.substr(0, name.find(u'.')));
    if (stem == u"CON" || stem == u"PRN" || stem == u"AUX" || stem == u"NUL" || stem == u"CONIN$" ||
        stem == u"CONOUT$")
        return true;
    return stem.size() == 4 && (stem.compare(0, 3, u"COM") == 0 || stem.compare(0, 3, u"LPT") == 0) &&
           stem[3] >= u'1' && stem[3] <= u'9';
}

}  // namespace

bool IsValidFileName(std::u16string_view name, size_t maxChars) {
    if (name.empty() || name.size() > maxChars) return false;
    for (char16_t c : name) {
        if (c < 0x20 || c == 0x7F) return false;
        if (std::u16string_view(u"\\/:*?\"<>|").find(c) != std::u16string_view::npos) return false;
    }
    if (name.back() == u'.' || name.back() == u' ') return false;
    return !IsDeviceName(name);
}

}  // namespace tessel
