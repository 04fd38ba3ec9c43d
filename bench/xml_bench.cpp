// Parsing one generated merged event feed side by side: this library (LoadFromBytes into a fresh
// root), pugixml (load_buffer) and expat (counting elements), over a 10 MB feed and a 200-entry
// feed; the free of each library's large tree alone; and SaveToLines of the large tree.
// Throughput is reported as bytes per second.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "xml/xdata_node.h"
#include "xml_process/feed_text.h"

namespace {

const std::string& LargeFeed() {
    static const std::string feed = tessel::bench::MakeFeed(10 * 1024 * 1024, 1 << 30);
    return feed;
}

const std::string& SmallFeed() {
    static const std::string feed = tessel::bench::MakeFeed(size_t(-1), 200);
    return feed;
}

void Tessel(benchmark::State& state, const std::string& feed) {
    for (auto _ : state) {
        tessel::TxdataNode root;
        root.LoadFromBytes(feed);
        benchmark::DoNotOptimize(root.ChildCount());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(feed.size()));
}

// The same parse with the tree freed outside the timing: how the time splits between building
// a tree of separately owned nodes and freeing it again.
void TesselParseOnly(benchmark::State& state, const std::string& feed) {
    for (auto _ : state) {
        auto root = std::make_unique<tessel::TxdataNode>();
        root->LoadFromBytes(feed);
        benchmark::DoNotOptimize(root->ChildCount());
        state.PauseTiming();
        root.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(feed.size()));
}

// Freeing alone: each library's tree of the large feed built outside the timing, then freed.
void TesselFree(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto root = std::make_unique<tessel::TxdataNode>();
        root->LoadFromBytes(LargeFeed());
        state.ResumeTiming();
        root.reset();
    }
}

void PugixmlFree(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto document = std::make_unique<pugi::xml_document>();
        document->load_buffer(LargeFeed().data(), LargeFeed().size());
        state.ResumeTiming();
        document.reset();
    }
}

void Pugixml(benchmark::State& state, const std::string& feed) {
    for (auto _ : state) {
        pugi::xml_document document;
        const pugi::xml_parse_result result = document.load_buffer(feed.data(), feed.size());
        if (!result) state.SkipWithError(result.description());
        benchmark::DoNotOptimize(document.first_child());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(feed.size()));
}

void StartElement(void* count, const XML_Char*, const XML_Char**) { ++*static_cast<long*>(count); }
void EndElement(void*, const XML_Char*) {}

void Expat(benchmark::State& state, const std::string& feed) {
    for (auto _ : state) {
        long elements = 0;
        XML_Parser parser = XML_ParserCreate(nullptr);
        XML_SetUserData(parser, &elements);
        XML_SetElementHandler(parser, StartElement, EndElement);
        if (XML_Parse(parser, feed.data(), int(feed.size()), 1) != XML_STATUS_OK)
            state.SkipWithError(XML_ErrorString(XML_GetErrorCode(parser)));
        XML_ParserFree(parser);
        benchmark::DoNotOptimize(elements);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(feed.size()));
}

void BM_Tessel_Large(benchmark::State& state) { Tessel(state, LargeFeed()); }
void BM_Tessel_Large_FreedUntimed(benchmark::State& state) { TesselParseOnly(state, LargeFeed()); }
void BM_Pugixml_Large(benchmark::State& state) { Pugixml(state, LargeFeed()); }
void BM_Expat_Large(benchmark::State& state) { Expat(state, LargeFeed()); }
void BM_Tessel_Free_Large(benchmark::State& state) { TesselFree(state); }
void BM_Pugixml_Free_Large(benchmark::State& state) { PugixmlFree(state); }
void BM_Tessel_200Entries(benchmark::State& state) { Tessel(state, SmallFeed()); }
void BM_Pugixml_200Entries(benchmark::State& state) { Pugixml(state, SmallFeed()); }
void BM_Expat_200Entries(benchmark::State& state) { Expat(state, SmallFeed()); }

void BM_Tessel_SaveToLines_Large(benchmark::State& state) {
    tessel::TxdataNode root;
    root.LoadFromBytes(LargeFeed());
    std::vector<std::string> lines;
    size_t written = 0;
    for (auto _ : state) {
        root.SaveToLines(lines);
        written = 0;
        for (const auto& line : lines) written += line.size() + 2;
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(written));
    state.counters["lines"] = double(lines.size());
}

BENCHMARK(BM_Tessel_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tessel_Large_FreedUntimed)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expat_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tessel_Free_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_Free_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Tessel_200Entries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pugixml_200Entries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Expat_200Entries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tessel_SaveToLines_Large)->Unit(benchmark::kMillisecond);

}  // namespace
