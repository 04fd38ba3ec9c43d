// Speed of the HTTP transport: reading a body in the transport's pieces (the rules
// alone, no network), forming the request target of a 1,500-byte URL, and whole Gets of 64 KB to
// 8 MB bodies over HTTP and HTTPS from the local calendar service on loopback (started here;
// skipped with a message when the service binary is not built).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "../tests/calendar/live_service.h"
#include "../tests/support/temp_folder.h"
#include "calendar/http.h"
#include "calendar/http_exchange.h"
#include "calendar/http_request.h"

namespace {

using namespace tessel;

// A 200 answer whose body comes in pieces of the given size.
class PiecesExchange final : public HttpExchange {
public:
    PiecesExchange(size_t total, size_t piece) : left_(total), piece_(piece, 'x') {}
    SendResult Send() override { return SendResult::Sent; }
    void SetCredentials(const std::string&, const std::string&) override {}
    void AddHeader(const std::string&) override {}
    int32_t Status() override { return 200; }
    std::vector<std::pair<std::string, std::string>> AnswerHeaders() override { return {}; }
    bool ReadPiece(std::string& body) override {
        if (left_ == 0) return false;
        const size_t now = std::min(left_, piece_.size());
        body.append(piece_, 0, now);
        left_ -= now;
        return true;
    }
    HttpFault Fault() const override { return {}; }

private:
    size_t left_;
    std::string piece_;
};

void BM_ReadBodyInPieces(benchmark::State& state) {
    const size_t total = static_cast<size_t>(state.range(0));
    for (auto _ : state) {
        PiecesExchange exchange(total, HttpExchange::kBodyPieceSize);
        THttpResponse response;
        RunExchange(exchange, {}, {}, response);
        benchmark::DoNotOptimize(response.Body.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(total));
}
BENCHMARK(BM_ReadBodyInPieces)->Arg(64 << 10)->Arg(1 << 20)->Arg(8 << 20);

void BM_RequestTargetOfLongUrl(benchmark::State& state) {
    std::string rest = "/calendar/feeds/jane.doe%40example.com/private/full?start-min=2009-09-01T00:00:00&q=";
    while (rest.size() < 1500) rest += "a%20b%26";
    for (auto _ : state) benchmark::DoNotOptimize(WinInetRequestTarget(rest));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(rest.size()));
}
BENCHMARK(BM_RequestTargetOfLongUrl);

void LoopbackGet(benchmark::State& state, const char* scheme) {
    const std::string binary = testing::LiveService::FindBinary();
    if (binary.empty()) {
        state.SkipWithError("calendar-service is not built (cmake --build ... --target calendar-service)");
        return;
    }
    testing::TempFolder folder;
    testing::LiveService service(binary, folder.Path(), {});
    if (!service.Problem().empty()) {
        state.SkipWithError(service.Problem().c_str());
        return;
    }
    const size_t size = static_cast<size_t>(state.range(0));
    THttpRequest request;
    request.Url = std::string(scheme) + "://" + service.Host() + "/test/huge/" + std::to_string(size);
    request.PinnedCertificate = service.Certificate();
    THttp http;
    for (auto _ : state) {
        if (http.Send(request).Body.size() != size) {
            state.SkipWithError("the service did not answer in full");
            return;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(size));
}

void BM_LoopbackGetHttp(benchmark::State& state) { LoopbackGet(state, "http"); }
void BM_LoopbackGetHttps(benchmark::State& state) { LoopbackGet(state, "https"); }
BENCHMARK(BM_LoopbackGetHttp)->Arg(64 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoopbackGetHttps)->Arg(64 << 10)->Arg(1 << 20)->Arg(8 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
