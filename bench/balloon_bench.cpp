// What resting the pointer on a day costs before the balloon is on screen: the day's text from a
// 10,000-event list (about 110 events a day, the busiest case a sync keeps) and the balloon's
// whole content layout for it, with the room of a 1280 x 800 screen and the fixed-width
// measuring that stands in for GDI here. Also each on its own, and the layout of a 500-event day
// that ends in the scroll box.
#include <benchmark/benchmark.h>

#include <string>

#include "app/day_hint.h"
#include "base/date_time.h"
#include "calendar/event.h"
#include "ui/balloon_content.h"
#include "ui/balloon_params.h"
#include "ui/balloon_placement.h"
#include "bench_events.h"

namespace {

using tessel::TDateTime;
using tessel::bench::Events;

// Tahoma 8 on a 96-dpi screen is about 5 pixels a character and 13 high.
class FixedFont final : public tessel::ITextMeasure {
public:
    tessel::TCanvasFont& Font() override { return font_; }
    tessel::TTextSize TextExtent(std::u16string_view text) override {
        return {int32_t(text.size()) * (font_.Bold ? 6 : 5), 13};
    }

private:
    tessel::TCanvasFont font_;
};

// The day hint's balloon: kind 3, best width 300, the pointer in the middle of the screen.
tessel::TBalloonContent Layout(const std::u16string& title, const std::u16string& text) {
    std::string params;
    tessel::AppendBalloonParam(params, "IconeResName", tessel::BalloonIconName(3));
    tessel::AppendBalloonParam(params, "Title", "t");
    tessel::AppendBalloonParam(params, "Text", "t");
    tessel::AppendBalloonParam(params, "MainPanelBestWidth", "300");
    const tessel::TRect anchor{640, 403, 641, 404};
    const tessel::TRect kScreen{0, 0, 1280, 800};
    const auto max = tessel::MaxContentSize(tessel::BalloonRooms(anchor, kScreen), kScreen);
    tessel::AppendBalloonParam(params, "MainPanelMaxWidth", std::to_string(max.Width));
    tessel::AppendBalloonParam(params, "MainPanelMaxHeight", std::to_string(max.Height));
    FixedFont font;
    return tessel::BuildContent(font, params, title, text);
}

const TDateTime kDay = tessel::EncodeDate(2009, 10, 15);

void BM_DayHintTextAndLayout(benchmark::State& state) {
    const auto& events = Events();
    for (auto _ : state) {
        const std::u16string text = tessel::DayText(events, kDay, u':');
        benchmark::DoNotOptimize(Layout(tessel::DayHintTitle(kDay), text));
    }
}
BENCHMARK(BM_DayHintTextAndLayout)->Unit(benchmark::kMicrosecond);

void BM_DayText(benchmark::State& state) {
    const auto& events = Events();
    for (auto _ : state) benchmark::DoNotOptimize(tessel::DayText(events, kDay, u':'));
}
BENCHMARK(BM_DayText)->Unit(benchmark::kMicrosecond);

void BM_LayoutOfADay(benchmark::State& state) {
    const std::u16string text = tessel::DayText(Events(), kDay, u':');
    for (auto _ : state) benchmark::DoNotOptimize(Layout(u"Thursday 10-15", text));
}
BENCHMARK(BM_LayoutOfADay)->Unit(benchmark::kMicrosecond);

void BM_LayoutOf500Events(benchmark::State& state) {
    std::u16string text;
    for (int i = 0; i < 500; ++i) text += u"09:00AM-10:00AM - Meeting with the team about the plan\r";
    for (auto _ : state) benchmark::DoNotOptimize(Layout(u"Monday 03-01", text));
}
BENCHMARK(BM_LayoutOf500Events)->Unit(benchmark::kMicrosecond);

}  // namespace
