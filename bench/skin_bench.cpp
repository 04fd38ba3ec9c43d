// The skin's work per window size: the plan (every erase) and the window shape (every resize),
// on the shipped default theme, at the main window's size and at a large event list window.
#include <benchmark/benchmark.h>

#include <string>

#include "base/text.h"
#include "ui/skin.h"
#include "ui/theme.h"

namespace {

const tessel::TSkin& DefaultSkin() {
    static tessel::TTheme theme;
    static tessel::TSkin skin;
    static bool loaded = false;
    if (!loaded) {
        theme.ThemeRoot = tessel::Utf8ToUtf16(std::string(TESSEL_SOURCE_DIR) + "/themes/");
        theme.Load();
        skin.Load(theme);
        loaded = true;
    }
    return skin;
}

void BM_SkinPlan(benchmark::State& state) {
    const tessel::TSkin& skin = DefaultSkin();
    for (auto _ : state) benchmark::DoNotOptimize(skin.Plan(int32_t(state.range(0)), int32_t(state.range(1))));
}
BENCHMARK(BM_SkinPlan)->Args({200, 180})->Args({800, 600});

void BM_SkinShape(benchmark::State& state) {
    const tessel::TSkin& skin = DefaultSkin();
    for (auto _ : state) benchmark::DoNotOptimize(skin.Shape(int32_t(state.range(0)), int32_t(state.range(1))));
    state.SetItemsProcessed(state.iterations() * state.range(0) * state.range(1));
}
BENCHMARK(BM_SkinShape)->Args({200, 180})->Args({800, 600});

}  // namespace
