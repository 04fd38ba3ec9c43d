#include "app/day_hint.h"

#include <cstdio>

#include "base/text.h"
#include "calendar/dates.h"

namespace tessel {

std::u16string DayHintTitle(TDateTime day) {
    const DateParts d = DecodeDate(day);
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d-%02d", d.month, d.day);
    return DayNameOf(day) + u" " + Widen(buffer);
}

void TDayHint::MouseMove(int x, int y) {
    if (host_.Syncing() || host_.Matrix().Empty()) return;
    int column = -1, row = -1;
    if (!host_.Geometry().CellAt(x, y, column, row)) column = row = -1;
    if (column <= 0 || row <= 0) {
        hoverColumn_ = column;
        hoverRow_ = row;
        Hide();
        return;
    }
    if (column == hoverColumn_ && row == hoverRow_) return;
    Hide();
    const TDateTime day = host_.Matrix().At(column - 1, row - 1);
    cellRect_ = host_.Geometry().CellRect(column, row);
    hintText_ = host_.DayText(day);
    hintTitle_ = DayHintTitle(day);
    hoverColumn_ = column;
    hoverRow_ = row;
    Arm(1);
}

void TDayHint::Arm(int phase) {
    if (timer_.Running()) return;
    hintPhase_ = phase;
    timer_.Start(phase == 1 ? kWaitMilliseconds : kShowMilliseconds);
}

void TDayHint::Hide() {
    timer_.Stop();
    host_.CloseBalloons();
}

void TDayHint::HintTick() {
    timer_.Stop();
    int x = 0, y = 0;
    host_.CursorPos(x, y);
    if (hintPhase_ == 1) {
        const bool inside = x >= cellRect_.left && x < cellRect_.right && y >= cellRect_.top && y < cellRect_.bottom;
        if (!inside) return;
        host_.ShowBalloon(hintTitle_, hintText_);
        Arm(0);
        return;
    }
    Hide();
}

}  // namespace tessel
