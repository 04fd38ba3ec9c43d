#pragma once
// Where the client's reminders go: the notification icon's balloon.
#include <string>

namespace tessel {

class IBalloonSink {
public:
    virtual ~IBalloonSink() = default;
    // timeoutTenths: how long the balloon stays, in tenths of a second.
    virtual void ShowBalloon(const std::u16string& text, const std::u16string& title, int timeoutTenths) = 0;
};

}  // namespace tessel
