#pragma once
// Faults armed at run time for the protocol endpoints: "the next N requests whose path starts
// with this prefix fail that way". Shared by all connection threads.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tessel::service {

class QueryParams;

// Delay answers late; Html answers 200 with a network's sign-in page. The rest answer normally
// but deliver the body badly: Cut closes the connection after `bytes` of it, CutReset resets it
// there, CutChunked sends it in chunks and closes before the last, Trickle sends one byte every
// `milliseconds`, Stall pauses `milliseconds` between the head and the body.
enum class FaultKind { Status, Malformed, Reset, Delay, Html, Cut, CutReset, CutChunked, Trickle, Stall };

struct Fault {
    std::string pathPrefix;
    FaultKind kind = FaultKind::Status;
    int status = 500;        // for Status
    int delayMilliseconds = 0;  // for Delay, Trickle and Stall
    long long bytes = 0;        // for the cuts
    long long remaining = 1;
};

// Reads path=PREFIX, the way to fail (status=WAY, or WAY as a key of its own, where WAY is NNN,
// malformed, reset, html, delay=MS, trickle=MS, stall=MS, cut=BYTES, cut-reset=BYTES or
// cut-chunked=BYTES) and count=N (default 1). Answers an error text, or an empty text when fault
// was filled.
std::string ParseFault(const QueryParams& params, Fault& fault);
std::string DescribeFault(const Fault& fault);

class FaultPlan {
public:
    static constexpr size_t kMaxFaults = 256;

    // A new fault goes after the ones armed before it; the oldest is dropped past kMaxFaults.
    void Arm(Fault fault);
    void Clear();
    // The first armed fault whose prefix starts path, counted down (and dropped at zero).
    std::optional<Fault> Take(const std::string& path);

private:
    std::mutex mutex_;
    std::vector<Fault> faults_;
};

}  // namespace tessel::service
