#include "fault_plan.h"

#include "query.h"

namespace tessel::service {

namespace {

constexpr long long kMaxDelay = 30000;

std::string ParseDelay(const std::string& text, Fault& fault) {
    long long milliseconds = 0;
    if (!ParseBoundedInt(text, 0, kMaxDelay, milliseconds)) return "delay must be 0 to 30000 milliseconds";
    fault.kind = FaultKind::Delay;
    fault.delayMilliseconds = static_cast<int>(milliseconds);
    return {};
}

}  // namespace

std::string ParseFault(const QueryParams& params, Fault& fault) {
    fault = Fault{};
    const std::string* path = params.Find("path");
    if (!path || path->empty() || (*path)[0] != '/') return "path=PREFIX (starting with /) is missing";
    fault.pathPrefix = *path;

    int ways = 0;
    std::string error;
    if (const std::string* status = params.Find("status")) {
        ++ways;
        long long code = 0;
        if (*status == "malformed")
            fault.kind = FaultKind::Malformed;
        else if (*status == "reset")
            fault.kind = FaultKind::Reset;
        else if (status->rfind("delay=", 0) == 0)
            error = ParseDelay(status->substr(6), fault);
        else if (ParseBoundedInt(*status, 200, 599, code))
            fault.status = static_cast<int>(code);
        else
            error = "status must be 200 to 599, malformed, reset or delay=MS";
    }
    if (params.Has("malformed")) {
        ++ways;
        fault.kind = FaultKind::Malformed;
    }
    if (params.Has("reset")) {
        ++ways;
        fault.kind = FaultKind::Reset;
    }
    if (const std::string* delay = params.Find("delay")) {
        ++ways;
        error = ParseDelay(*delay, fault);
    }
    if (ways != 1) return "give exactly one of status=NNN, malformed, reset, delay=MS";
    if (!error.empty()) return error;

    if (const std::string* count = params.Find("count")) {
        if (!ParseBoundedInt(*count, 1, 1000000, fault.remaining)) return "count must be 1 to 1000000";
    }
    return {};
}

std::string DescribeFault(const Fault& fault) {
    std::string way;
    switch (fault.kind) {
    case FaultKind::Status: way = "status " + std::to_string(fault.status); break;
    case FaultKind::Malformed: way = "malformed"; break;
    case FaultKind::Reset: way = "reset"; break;
    case FaultKind::Delay: way = "delay " + std::to_string(fault.delayMilliseconds) + " ms"; break;
    }
    return fault.pathPrefix + ": " + way + " x" + std::to_string(fault.remaining);
}

void FaultPlan::Arm(Fault fault) {
    std::lock_guard lock(mutex_);
    if (faults_.size() >= kMaxFaults) faults_.erase(faults_.begin());
    faults_.push_back(std::move(fault));
}

void FaultPlan::Clear() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

std::optional<Fault> FaultPlan::Take(const std::string& path) {
    std::lock_guard lock(mutex_);
    for (auto it = faults_.begin(); it != faults_.end(); ++it) {
        if (path.compare(0, it->pathPrefix.size(), it->pathPrefix) != 0) continue;
        Fault taken = *it;
        if (--it->remaining <= 0) faults_.erase(it);
        return taken;
    }
    return std::nullopt;
}

}  // namespace tessel::service
