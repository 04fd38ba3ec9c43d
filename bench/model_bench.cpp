// The questions the month grid and the day hint ask of the event list, over a whole grid of 42
// days: HasEventsOn for every cell as the grid paints, DayText for every cell as a pointer sweeps
// it, and the rows the event list window shows for a day (ShowDay), over the events of
// bench_events.h. Beside them, the two stores' load and save as the program runs them at
// start-up and exit.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "base/date_time.h"
#include "base/file_io.h"
#include "calendar/account.h"
#include "calendar/event.h"
#include "ui/event_list.h"
#include "ui/profile.h"
#include "bench_events.h"

namespace {

using tessel::TDateTime;
using tessel::bench::Events;

// The grid of October 2009: six weeks from the Sunday on or before the 1st.
TDateTime GridStart() {
    const TDateTime first = tessel::EncodeDate(2009, 10, 1);
    return first - (tessel::DayOfWeek(first) - 1);
}

void BM_HasEventsOnGrid(benchmark::State& state) {
    const auto& events = Events();
    const TDateTime start = GridStart();
    for (auto _ : state) {
        int marked = 0;
        for (int cell = 0; cell < 42; ++cell) marked += tessel::HasEventsOn(events, start + cell);
        benchmark::DoNotOptimize(marked);
    }
    state.counters["cells"] = benchmark::Counter(42.0 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_HasEventsOnGrid)->Unit(benchmark::kMicrosecond);

void BM_DayTextGrid(benchmark::State& state) {
    const auto& events = Events();
    const TDateTime start = GridStart();
    size_t characters = 0;
    for (auto _ : state) {
        characters = 0;
        for (int cell = 0; cell < 42; ++cell) characters += tessel::DayText(events, start + cell, u':').size();
        benchmark::DoNotOptimize(characters);
    }
    state.counters["chars_per_grid"] = double(characters);
}
BENCHMARK(BM_DayTextGrid)->Unit(benchmark::kMicrosecond);

// A day with no events walks the whole list too: the worst case for one cell.
void BM_DayTextEmptyDay(benchmark::State& state) {
    const auto& events = Events();
    const TDateTime empty = tessel::EncodeDate(2010, 6, 1);
    for (auto _ : state) benchmark::DoNotOptimize(tessel::DayText(events, empty, u':'));
}
BENCHMARK(BM_DayTextEmptyDay)->Unit(benchmark::kMicrosecond);

// ShowDay's work for one day of the 10,000: the day's rows found and copied, their texts made.
void BM_ShowDay(benchmark::State& state) {
    const auto& events = Events();
    const TDateTime day = tessel::EncodeDate(2009, 10, 15);
    size_t rows = 0;
    for (auto _ : state) {
        const std::vector<tessel::TShownRow> shown = tessel::RowsOfDay(events, day);
        size_t characters = 0;
        for (const tessel::TShownRow& row : shown) characters += tessel::EventRowText(row.Event, u':').size();
        rows = shown.size();
        benchmark::DoNotOptimize(characters);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_ShowDay)->Unit(benchmark::kMicrosecond);

std::u16string BenchFolder() {
    const std::u16string folder = tessel::ExecutableFolder() + u"model_bench_files" + tessel::kPathSeparator;
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(folder), ignored);
    return folder;
}

// An account with 20 selected calendars, saved and loaded once per iteration.
void BM_AccountSaveLoad(benchmark::State& state) {
    tessel::TAccount account(BenchFolder());
    account.SetCredentials("jane.doe@example.com", "correct horse battery staple");
    std::vector<std::string> ids;
    for (int i = 0; i < 20; ++i) ids.push_back("calendar" + std::to_string(i) + "%40group.v.calendar.example.com");
    account.SetCalendars(ids);
    for (auto _ : state) {
        account.Save();
        account.Load();
        benchmark::DoNotOptimize(account.IndexOfCalendar(ids.back()));
    }
}
BENCHMARK(BM_AccountSaveLoad)->Unit(benchmark::kMicrosecond);

void BM_ProfileSaveLoad(benchmark::State& state) {
    const std::u16string folder = BenchFolder();
    tessel::RemoveFile(folder + u"profile.xml");
    tessel::EnsureProfileFile(folder);
    tessel::TProfile profile(folder);
    profile.Load();
    for (auto _ : state) {
        profile.Save();
        profile.Load();
        benchmark::DoNotOptimize(profile.UpdateInterval);
    }
}
BENCHMARK(BM_ProfileSaveLoad)->Unit(benchmark::kMicrosecond);

}  // namespace
