#pragma once
// The current moment, behind an interface so that tests fix "now" and drive reminders and
// timer ticks without waiting.
#include "base/date_time.h"

namespace tessel {

class IClock {
public:
    virtual ~IClock() = default;
    // Local wall-clock time.
    virtual TDateTime Now() const = 0;
};

// The machine's local time.
class SystemClock final : public IClock {
public:
    TDateTime Now() const override;
};

// A clock that says what it is told.
class FixedClock final : public IClock {
public:
    explicit FixedClock(TDateTime now = 0) : now_(now) {}
    TDateTime Now() const override { return now_; }
    void Set(TDateTime now) { now_ = now; }
    void Advance(TDateTime by) { now_ += by; }

private:
    TDateTime now_;
};

}  // namespace tessel
