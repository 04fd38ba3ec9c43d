#include "fault_plan.h"

#include "query.h"

namespace tessel::service {

namespace {

constexpr long long kMaxDelay = 30000;
constexpr long long kMaxCut = 1LL << 40;

struct WayName {
    const char* name;
    FaultKind kind;
    bool takesNumber;
};

constexpr WayName kWays[] = {
    {"malformed", FaultKind::Malformed, false}, {"reset", FaultKind::Reset, false},
    {"html", FaultKind::Html, false},           {"delay", FaultKind::Delay, true},
    {"trickle", FaultKind::Trickle, true},      {"stall", FaultKind::Stall, true},
    {"cut", FaultKind::Cut, true},              {"cut-reset", FaultKind::CutReset, true},
    {"cut-chunked", FaultKind::CutChunked, true},
};

bool IsCut(FaultKind kind) {
    return kind == FaultKind::Cut || kind == FaultKind::CutReset || kind == FaultKind::CutChunked;
}

// "NNN", "reset", "delay=MS", "cut=BYTES" ...
std::string ParseWay(const std::string& text, Fault& fault) {
    long long code = 0;
    if (ParseBoundedInt(text, 200, 599, code)) {
        fault.kind = FaultKind::Status;
        fault.status = static_cast<int>(code);
        return {};
    }
    const size_t equals = text.find('=');
    const std::string name = text.substr(0, equals);
    for (const WayName& way : kWays) {
        if (name != way.name) continue;
        fault.kind = way.kind;
        if (!way.takesNumber) return equals == std::string::npos ? std::string() : name + " takes no value";
        long long value = 0;
        const std::string number = equals == std::string::npos ? std::string() : text.substr(equals + 1);
        if (IsCut(way.kind)) {
            if (!ParseBoundedInt(number, 0, kMaxCut, value)) return name + " must be a number of bytes";
            fault.bytes = value;
        } else {
            if (!ParseBoundedInt(number, 0, kMaxDelay, value)) return name + " must be 0 to 30000 milliseconds";
            fault.delayMilliseconds = static_cast<int>(value);
        }
        return {};
    }
    return "status must be 200 to 599, malformed, reset, html, delay=MS, trickle=MS, stall=MS, cut=BYTES, "
           "cut-reset=BYTES or cut-chunked=BYTES";
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
        error = ParseWay(*status, fault);
    }
    for (const WayName& way : kWays) {
        const std::string* value = params.Find(way.name);
        if (!value) continue;
        ++ways;
        error = ParseWay(value->empty() ? std::string(way.name) : std::string(way.name) + "=" + *value, fault);
    }
    if (ways != 1)
        return "give exactly one way to fail: status=NNN or one of malformed, reset, html, delay, trickle, stall, "
               "cut, cut-reset, cut-chunked";
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
    case FaultKind::Html: way = "html"; break;
    case FaultKind::Delay: way = "delay " + std::to_string(fault.delayMilliseconds) + " ms"; break;
    case FaultKind::Trickle: way = "trickle 1 byte per " + std::to_string(fault.delayMilliseconds) + " ms"; break;
    case FaultKind::Stall: way = "stall " + std::to_string(fault.delayMilliseconds) + " ms"; break;
    case FaultKind::Cut: way = "cut after " + std::to_string(fault.bytes) + " bytes"; break;
    case FaultKind::CutReset: way = "reset after " + std::to_string(fault.bytes) + " bytes"; break;
    case FaultKind::CutChunked: way = "chunks cut after " + std::to_string(fault.bytes) + " bytes"; break;
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
