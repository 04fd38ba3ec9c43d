#pragma once
// THintWin: the day hint of the month grid. It takes over the grid's mouse moves (the grid's
// previous handler still runs first), and shows a day's events in a balloon once the pointer has
// rested on the day (TDayHint holds the rules). Its timer lives on a message-only window.
#include <windows.h>

#include <functional>
#include <string>

#include "app/day_hint.h"
#include "win32/win32_window.h"

namespace tessel {

class TEventSources;
class TMonthGrid;
class TALHintBalloonControl;

class THintWin final : private IDayHintHost, private IHintTimer {
public:
    // The balloon's placement: below and to the left of the pointer.
    static constexpr uint8_t kPlacement = 2;

    THintWin(const TEventSources& calendar, TALHintBalloonControl& balloons);
    THintWin(const THintWin&) = delete;
    THintWin& operator=(const THintWin&) = delete;

    // Watches the grid's mouse moves from now on (once, at the deferred start).
    void Attach(TMonthGrid& grid);

private:
    class TimerWindow final : public win32::Window {
    public:
        explicit TimerWindow(THintWin& owner) : owner_(owner) {}
        bool Make();

    protected:
        LRESULT HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

    private:
        THintWin& owner_;
    };

    // IDayHintHost
    bool Syncing() const override;
    const MonthMatrix& Matrix() const override;
    const GridGeometry& Geometry() const override;
    std::u16string DayText(TDateTime day) const override;
    void CursorPos(int& x, int& y) const override;
    void ShowBalloon(const std::u16string& title, const std::u16string& text) override;
    void CloseBalloons() override;
    // IHintTimer
    void Start(uint32_t milliseconds) override;
    void Stop() override;
    bool Running() const override { return running_; }

    const TEventSources& calendar_;
    TALHintBalloonControl& balloons_;
    TMonthGrid* grid_ = nullptr;
    std::function<void(int x, int y)> previous_;
    TimerWindow timer_;
    bool running_ = false;
    TDayHint hint_;
};

}  // namespace tessel
