#pragma once
// The notification icon's behaviour without the shell: hover polling with its balloon count,
// the today title, and cutting texts to the notification record's fields.
#include <string>
#include <string_view>

#include "base/date_time.h"

namespace tessel {

// Capacities of the notification record's text fields, terminator included.
inline constexpr size_t kTipCapacity = 128;
inline constexpr size_t kBalloonTextCapacity = 256;
inline constexpr size_t kBalloonTitleCapacity = 64;

// The longest prefix of text that fits a field of the given capacity with its terminator,
// never ending in the first half of a surrogate pair.
std::u16string FitToField(std::u16string_view text, size_t capacity);

// "mm-dd today events:" when the day text is not empty, else "mm-dd".
std::u16string TodayTitle(TDateTime now, std::u16string_view dayText);

// Hover tracking over the notification area: a balloon of today's events once per visit, polled
// every second while the pointer stays; a click suppresses it until the pointer has left.
class TrayHover {
public:
    static constexpr int kPollMilliseconds = 1000;
    static constexpr int kSuppressed = 10;

    // Mouse moved over the icon. True when polling should start (the caller remembers the
    // rectangle under the cursor and starts its timer); false while polling or syncing.
    bool OnMouseMove(bool syncing) const { return !syncing && !polling_; }
    void Started() { polling_ = true; }

    enum class Tick { Left, ShowBalloon, KeepPolling };
    // A poll: the timer is stopped; the caller restarts hovering on ShowBalloon and KeepPolling.
    Tick OnTick(bool cursorInsideRect);

    void OnClick() { ShownCount = kSuppressed; }

    int ShownCount = 0;

private:
    bool polling_ = false;
};

}  // namespace tessel
