// The day hint's state machine on a fake timer, grid and balloon: the wait, the display time,
// moving on and syncing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/day_hint.h"
#include "base/date_time.h"

namespace tessel {
namespace {

class FakeTimer final : public IHintTimer {
public:
    void Start(uint32_t ms) override {
        running = true;
        starts.push_back(ms);
    }
    void Stop() override { running = false; }
    bool Running() const override { return running; }
    bool running = false;
    std::vector<uint32_t> starts;
};

class FakeGrid final : public IDayHintHost {
public:
    FakeGrid() {
        matrix = BuildMonthMatrix(EncodeDate(2010, 1, 13));
        geometry = GridGeometry::For(10, 14, matrix.WeekCount);  // cells 22 x 16
    }
    bool Syncing() const override { return syncing; }
    const MonthMatrix& Matrix() const override { return matrix; }
    const GridGeometry& Geometry() const override { return geometry; }
    std::u16string DayText(TDateTime day) const override { return DayHintTitle(day) + u" events"; }
    void CursorPos(int& x, int& y) const override { x = cursorX, y = cursorY; }
    void ShowBalloon(const std::u16string& title, const std::u16string& text) override {
        shown.push_back(title + u"|" + text);
    }
    void CloseBalloons() override { ++closes; }

    // The pointer moves to the middle of a cell.
    void MoveTo(TDayHint& hint, int column, int row) {
        cursorX = column * 22 + 11;
        cursorY = row * 16 + 8;
        hint.MouseMove(cursorX, cursorY);
    }

    MonthMatrix matrix;
    GridGeometry geometry;
    bool syncing = false;
    int cursorX = 0, cursorY = 0;
    std::vector<std::u16string> shown;
    int closes = 0;
};

struct DayHintTest : ::testing::Test {
    FakeTimer timer;
    FakeGrid grid;
    TDayHint hint{grid, timer};
};

TEST_F(DayHintTest, RestingOnADayShowsItsEventsAfterTheWaitAndHidesThemLater) {
    grid.MoveTo(hint, 4, 3);  // Wednesday of the third week: January 13
    grid.MoveTo(hint, 4, 3);  // moving within the cell restarts nothing
    EXPECT_EQ(timer.starts, (std::vector<uint32_t>{700}));
    EXPECT_TRUE(grid.shown.empty());

    hint.HintTick();
    ASSERT_EQ(grid.shown.size(), 1u);
    EXPECT_EQ(grid.shown[0], u"Wednesday 01-13|Wednesday 01-13 events");
    EXPECT_EQ(timer.starts.back(), 8000u);
    grid.MoveTo(hint, 4, 3);
    EXPECT_EQ(timer.starts.size(), 2u);

    const int closesBefore = grid.closes;
    grid.cursorX = 500;  // the pointer left the grid: the balloon stays for its time
    hint.HintTick();
    EXPECT_EQ(grid.closes, closesBefore + 1);
    EXPECT_FALSE(timer.running);
}

TEST_F(DayHintTest, MovingOnBeforeTheWaitEndsShowsNothing) {
    for (int column = 1; column <= 7; ++column) grid.MoveTo(hint, column, 1);
    EXPECT_TRUE(grid.shown.empty());
    // Each new cell hides and waits afresh; the wait belongs to the last cell.
    EXPECT_EQ(timer.starts.size(), 7u);
    EXPECT_GE(grid.closes, 7);
    grid.cursorX = 11;  // ... which the pointer has left for the week numbers when the wait ends
    hint.HintTick();
    EXPECT_TRUE(grid.shown.empty());
    EXPECT_FALSE(timer.running);
}

TEST_F(DayHintTest, HeaderWeekNumbersAndSyncingShowNothing) {
    grid.MoveTo(hint, 3, 2);
    const int closes = grid.closes;
    grid.MoveTo(hint, 0, 2);  // week numbers: hidden at once
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(grid.closes, closes + 1);
    grid.MoveTo(hint, 3, 0);  // header
    EXPECT_FALSE(timer.running);

    grid.syncing = true;
    grid.MoveTo(hint, 5, 3);
    EXPECT_FALSE(timer.running);
    EXPECT_EQ(timer.starts.size(), 1u);
    grid.syncing = false;
    grid.MoveTo(hint, 5, 3);
    hint.HintTick();
    ASSERT_EQ(grid.shown.size(), 1u);
    EXPECT_EQ(grid.shown[0].substr(0, 15), u"Thursday 01-14|");
}

}  // namespace
}  // namespace tessel
