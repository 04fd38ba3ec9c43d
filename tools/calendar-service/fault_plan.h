#pragma once
// Faults armed at run time for the protocol endpoints: "the next N requests whose path starts
// with this prefix fail that way". Shared by all connection threads.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tessel::service {

class QueryParams;

enum class FaultKind { Status, Malformed, Reset, Delay };

struct Fault {
    std::string pathPrefix;
    FaultKind kind = FaultKind::Status;
    int status = 500;        // for Status
    int delayMilliseconds = 0;  // for Delay: the answer comes late but is otherwise normal
    long long remaining = 1;
};

// Reads path=PREFIX, the way to fail (status=NNN, status=malformed, status=reset, status=delay=MS,
// or the bare keys malformed, reset, delay=MS) and count=N (default 1). Answers an error text,
// or an empty text when fault was filled.
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
