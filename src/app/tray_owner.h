#pragma once
// What the notification icon asks of the rest of the program: it knows nothing of the windows
// or the calendar beyond this.
#include <string>

namespace tessel {

class ITrayOwner {
public:
    virtual ~ITrayOwner() = default;
    virtual bool Syncing() const = 0;
    // DayText of the current moment, and the current moment's "mm-dd" title base.
    virtual std::u16string TodayText() const = 0;
    virtual std::u16string TodayTitle() const = 0;
    // Right button released on the icon: the main pop-up menu at the cursor.
    virtual void ShowPopupMenu() = 0;
    // Left button pressed: bring the windows back that are meant to be visible.
    virtual void RestoreWindows() = 0;
};

}  // namespace tessel
