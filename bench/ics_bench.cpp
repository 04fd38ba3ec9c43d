// Reading the generated 10,000-event iCalendar file and listing its occurrences from 2026-12-01
// to 2027-03-01 in Berlin time, with this library and with libical, in one run. The file is the
// one ../shared/bench/ics/gen_ics.py writes beside the repository.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "ics_process/ics_expand.h"

namespace {

const std::string& File() {
    static const std::string bytes = ics_bench::GeneratedFile(TESSEL_SOURCE_DIR, 10000);
    return bytes;
}

// Reads and lists with one of the two; the occurrences counted show both did the whole work.
template <ics_bench::Result (*List)(const std::string&, const ics_bench::Window&, bool)>
void ReadAndList(benchmark::State& state) {
    setenv("TZ", "Europe/Berlin", 1);
    const std::string& bytes = File();
    if (bytes.empty()) state.SkipWithError("the generator ../shared/bench/ics/gen_ics.py did not run");
    size_t occurrences = 0;
    for (auto _ : state) benchmark::DoNotOptimize(occurrences = List(bytes, {}, false).occurrences);
    state.counters["occurrences"] = double(occurrences);
    state.SetBytesProcessed(int64_t(state.iterations() * bytes.size()));
}

void BM_IcsTessel(benchmark::State& state) { ReadAndList<ics_bench::WithTessel>(state); }
BENCHMARK(BM_IcsTessel)->Unit(benchmark::kMillisecond);

void BM_IcsLibical(benchmark::State& state) { ReadAndList<ics_bench::WithLibical>(state); }
BENCHMARK(BM_IcsLibical)->Unit(benchmark::kMillisecond);

}  // namespace
