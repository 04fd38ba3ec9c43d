#include "app/tray_logic.h"

#include <algorithm>
#include <cstdio>

#include "base/text.h"

namespace tessel {

std::u16string FitToField(std::u16string_view text, size_t capacity) {
    if (capacity == 0) return {};
    size_t n = std::min(text.size(), capacity - 1);
    if (n < text.size() && n > 0 && text[n - 1] >= 0xD800 && text[n - 1] <= 0xDBFF) --n;
    return std::u16string(text.substr(0, n));
}

std::u16string TodayTitle(TDateTime now, std::u16string_view dayText) {
    const DateParts d = DecodeDate(now);
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d", d.month, d.day);
    std::u16string title = Widen(buffer);
    if (!dayText.empty()) title += u" today events:";
    return title;
}

TrayHover::Tick TrayHover::OnTick(bool cursorInsideRect) {
    polling_ = false;
    if (!cursorInsideRect) {
        ShownCount = 0;
        return Tick::Left;
    }
    if (ShownCount == 0) {
        ++ShownCount;
        return Tick::ShowBalloon;
    }
    return Tick::KeepPolling;
}

}  // namespace tessel
