// Parsing one generated merged event feed side by side: this library (LoadFromBytes into a fresh
// root), pugixml (load_buffer) and expat (counting elements), over a 10 MB feed and a 200-entry
// feed; and SaveToLines of the large tree. Throughput is reported as bytes per second.
#include <benchmark/benchmark.h>
#include <expat.h>

#include <memory>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "xml/xdata_node.h"

namespace {

// One event entry as the calendar service sends it; the numbers vary so no two entries are equal.
void AppendEntry(std::string& feed, int n) {
    const std::string id = std::to_string(100000 + n);
    const std::string day = std::to_string(10 + n % 18);
    const std::string hour = std::to_string(10 + n % 9);
    feed += "<entry><id>https://calendar.example.org/calendar/feeds/user%40example.org/private/full/e" + id +
            "</id><published>2011-02-" + day + "T09:15:00.000Z</published><updated>2011-02-" + day +
            "T09:16:" + std::to_string(10 + n % 50) + ".000Z</updated>"
            "<category scheme='http://schemas.example.org/g/2005#kind' term='http://schemas.example.org/g/2005#event'/>"
            "<title type='text'>Project review " + id + " &amp; planning</title>"
            "<content type='text'>Agenda: status of milestone " + id +
            ", open questions, next steps. Bring the printed report.</content>"
            "<link rel='alternate' type='text/html' href='https://calendar.example.org/calendar/event?eid=ZXZlbnQ" + id +
            "&amp;ctz=Europe/Berlin' title='alternate'/>"
            "<link rel='self' type='application/atom+xml' href='https://calendar.example.org/calendar/feeds/default/private/full/e" +
            id + "'/><author><name>Ann Example</name><email>ann@example.org</email></author>"
            "<gd:eventStatus value='http://schemas.example.org/g/2005#event.confirmed'/>"
            "<gd:where valueString='Meeting room " + std::to_string(n % 40) + "'/>"
            "<gd:when startTime='2011-03-" + day + "T" + hour + ":00:00.000+01:00' endTime='2011-03-" + day + "T" + hour +
            ":45:00.000+01:00'/></entry>\r\n";
}

std::string MakeFeed(size_t minBytes, int maxEntries) {
    std::string feed =
        "<?xml version='1.0' encoding='UTF-8'?><feed xmlns='http://www.w3.org/2005/Atom' "
        "xmlns:gd='http://schemas.example.org/g/2005'><id>https://calendar.example.org/calendar/feeds/default/private/full</id>"
        "<updated>2011-03-01T08:00:00.000Z</updated><title type='text'>Ann Example</title>\r\n";
    for (int n = 0; feed.size() < minBytes && n < maxEntries; ++n) AppendEntry(feed, n);
    feed += "</feed>\r\n";
    return feed;
}

const std::string& LargeFeed() {
    static const std::string feed = MakeFeed(10 * 1024 * 1024, 1 << 30);
    return feed;
}

const std::string& SmallFeed() {
    static const std::string feed = MakeFeed(size_t(-1), 200);
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
BENCHMARK(BM_Tessel_200Entries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pugixml_200Entries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Expat_200Entries)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Tessel_SaveToLines_Large)->Unit(benchmark::kMillisecond);

}  // namespace
