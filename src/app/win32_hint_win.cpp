#include "app/win32_hint_win.h"

#include "app/win32_month_grid.h"
#include "calendar/event_sources.h"
#include "ui/win32_balloon.h"

namespace tessel {

namespace {

constexpr UINT_PTR kHintTimer = 1;
const MonthMatrix kNoMonth{};
const GridGeometry kNoGeometry{};

}  // namespace

THintWin::THintWin(const TEventSources& calendar, TALHintBalloonControl& balloons)
    : calendar_(calendar), balloons_(balloons), timer_(*this), hint_(*this, *this) {
    timer_.Make();
}

bool THintWin::TimerWindow::Make() {
    const wchar_t* cls = RegisterClassOnce(L"TesselHintTimer", 0);
    return Create(0, cls, L"", 0, 0, 0, 0, 0, HWND_MESSAGE);
}

LRESULT THintWin::TimerWindow::HandleMessage(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_TIMER && wp == kHintTimer) {
        owner_.hint_.HintTick();
        return 0;
    }
    return DefaultProc(msg, wp, lp);
}

void THintWin::Attach(TMonthGrid& grid) {
    grid_ = &grid;
    previous_ = grid.OnMouseMove;
    grid.OnMouseMove = [this](int x, int y) {
        if (previous_) previous_(x, y);
        hint_.MouseMove(x, y);
    };
}

bool THintWin::Syncing() const { return calendar_.Syncing; }

const MonthMatrix& THintWin::Matrix() const { return grid_ ? grid_->Matrix() : kNoMonth; }

const GridGeometry& THintWin::Geometry() const { return grid_ ? grid_->Geometry() : kNoGeometry; }

std::u16string THintWin::DayText(TDateTime day) const { return calendar_.DayText(day); }

void THintWin::CursorPos(int& x, int& y) const {
    POINT p{};
    GetCursorPos(&p);
    if (grid_) ScreenToClient(grid_->Handle(), &p);
    x = p.x;
    y = p.y;
}

void THintWin::ShowBalloon(const std::u16string& title, const std::u16string& text) {
    balloons_.ShowTextBalloon(3, title, text, 300, 50, 50, grid_ ? grid_->Handle() : nullptr, kPlacement);
}

void THintWin::CloseBalloons() { balloons_.CloseAll(); }

void THintWin::Start(uint32_t milliseconds) {
    running_ = SetTimer(timer_.Handle(), kHintTimer, milliseconds, nullptr) != 0;
}

void THintWin::Stop() {
    if (timer_.Handle()) KillTimer(timer_.Handle(), kHintTimer);
    running_ = false;
}

}  // namespace tessel
