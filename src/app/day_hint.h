#pragma once
// The day hint's behaviour without a window system: it watches the pointer over the month grid,
// waits until it rests on a day, shows that day's events in a balloon and takes the balloon
// away after a while or as soon as the pointer moves to another cell. The Win32 half
// (win32_hint_win.h) supplies the timer, the cursor and the balloons.
#include <cstdint>
#include <string>

#include "app/month_layout.h"
#include "base/date_time.h"

namespace tessel {

// One timer: started with an interval, it ticks once into HintTick (the hint stops it there).
class IHintTimer {
public:
    virtual ~IHintTimer() = default;
    virtual void Start(uint32_t milliseconds) = 0;
    virtual void Stop() = 0;
    virtual bool Running() const = 0;
};

// What the hint reads and does outside itself.
class IDayHintHost {
public:
    virtual ~IDayHintHost() = default;
    virtual bool Syncing() const = 0;
    virtual const MonthMatrix& Matrix() const = 0;
    virtual const GridGeometry& Geometry() const = 0;
    virtual std::u16string DayText(TDateTime day) const = 0;
    // The pointer in the grid's client coordinates.
    virtual void CursorPos(int& x, int& y) const = 0;
    // A balloon of the kind without icon, pointing just below the pointer.
    virtual void ShowBalloon(const std::u16string& title, const std::u16string& text) = 0;
    virtual void CloseBalloons() = 0;
};

// "Monday 10-05": the weekday's name and the date as mm-dd.
std::u16string DayHintTitle(TDateTime day);

class TDayHint {
public:
    static constexpr uint32_t kWaitMilliseconds = 700;
    static constexpr uint32_t kShowMilliseconds = 8000;

    TDayHint(IDayHintHost& host, IHintTimer& timer) : host_(host), timer_(timer) {}

    // The pointer moved to (x, y) in the grid.
    void MouseMove(int x, int y);
    // Starts the wait (phase 1) or the display time (phase 0) unless the timer runs already.
    void Arm(int phase);
    void Hide();
    void HintTick();

private:
    IDayHintHost& host_;
    IHintTimer& timer_;
    int hoverColumn_ = 0;
    int hoverRow_ = 0;
    int hintPhase_ = 0;
    std::u16string hintText_;
    std::u16string hintTitle_;
    GridGeometry::Rect cellRect_{};
};

}  // namespace tessel
