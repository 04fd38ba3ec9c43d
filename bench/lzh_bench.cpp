// Speed of the account file's codec on 1 MB inputs: text shaped like the account document and the
// feeds, random bytes (nearly every symbol a literal, the slowest case for both directions) and a
// mix of the two; and on a 4 KB document, the size the program really packs. zlib's deflate at its
// default level runs beside it on the same bytes for scale.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdint>
#include <random>
#include <string>

#include "calendar/lzh.h"

namespace {

std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 generator(seed);
    std::string out(size, '\0');
    for (auto& c : out) c = static_cast<char>(generator() & 0xFF);
    return out;
}

std::string DocumentText(size_t size, uint32_t seed) {
    static const char* const kPieces[] = {
        "<entry id=\"", "http://calendar.example/feeds/", "%40group.v.calendar", "\"/>\r\n", "  <user username=\"",
        "pass=\"", "<title type=\"text\">", "Team meeting", "</title>\r\n", "2009-10-05T14:30:00.000-07:00"};
    std::mt19937 generator(seed);
    std::string out;
    while (out.size() < size) {
        out += kPieces[generator() % std::size(kPieces)];
        out += std::to_string(generator() % 1000);
    }
    out.resize(size);
    return out;
}

enum Input { kText, kRandom, kMixed };

std::string MakeInput(int kind, size_t size) {
    switch (kind) {
    case kText: return DocumentText(size, 1);
    case kRandom: return RandomBytes(size, 2);
    default: {
        // Alternating 16 KB stretches, so both the window and the Huffman counts keep adapting.
        std::string out;
        for (uint32_t part = 0; out.size() < size; ++part)
            out += part % 2 ? RandomBytes(16384, part) : DocumentText(16384, part);
        out.resize(size);
        return out;
    }
    }
}

const char* InputName(int kind) { return kind == kText ? "text" : kind == kRandom ? "random" : "mixed"; }

void BM_LzhPack(benchmark::State& state) {
    const std::string input = MakeInput(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    size_t coded = 0;
    for (auto _ : state) {
        const std::string out = tessel::CompressStream(input);
        coded = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input.size()));
    state.SetLabel(std::string(InputName(static_cast<int>(state.range(0)))) + ", ratio " +
                   std::to_string(100 * coded / input.size()) + "%");
}

void BM_LzhUnpack(benchmark::State& state) {
    const std::string input = MakeInput(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    const std::string coded = tessel::CompressStream(input);
    for (auto _ : state) {
        const std::string out = tessel::ExpandStream(coded);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input.size()));
    state.SetLabel(InputName(static_cast<int>(state.range(0))));
}

void BM_DeflatePack(benchmark::State& state) {
    const std::string input = MakeInput(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    std::string out(compressBound(input.size()), '\0');
    uLongf coded = 0;
    for (auto _ : state) {
        coded = out.size();
        compress2(reinterpret_cast<Bytef*>(out.data()), &coded, reinterpret_cast<const Bytef*>(input.data()),
                  input.size(), Z_DEFAULT_COMPRESSION);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input.size()));
    state.SetLabel(std::string(InputName(static_cast<int>(state.range(0)))) + ", ratio " +
                   std::to_string(100 * coded / input.size()) + "%");
}

void BM_DeflateUnpack(benchmark::State& state) {
    const std::string input = MakeInput(static_cast<int>(state.range(0)), static_cast<size_t>(state.range(1)));
    std::string coded(compressBound(input.size()), '\0');
    uLongf codedSize = coded.size();
    compress2(reinterpret_cast<Bytef*>(coded.data()), &codedSize, reinterpret_cast<const Bytef*>(input.data()),
              input.size(), Z_DEFAULT_COMPRESSION);
    std::string out(input.size(), '\0');
    for (auto _ : state) {
        uLongf size = out.size();
        uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(coded.data()), codedSize);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(input.size()));
    state.SetLabel(InputName(static_cast<int>(state.range(0))));
}

void Inputs(benchmark::internal::Benchmark* b) {
    for (int kind : {kText, kRandom, kMixed}) b->Args({kind, 1 << 20});
    b->Args({kText, 4096});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_LzhPack)->Apply(Inputs);
BENCHMARK(BM_LzhUnpack)->Apply(Inputs);
BENCHMARK(BM_DeflatePack)->Apply(Inputs);
BENCHMARK(BM_DeflateUnpack)->Apply(Inputs);

}  // namespace
