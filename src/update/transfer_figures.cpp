#include "update/transfer_figures.h"

#include <algorithm>
#include <cmath>

namespace tessel::update {

TransferFigures ComputeTransferFigures(int64_t total, int64_t received, uint32_t elapsedMs) {
    TransferFigures f;
    received = std::max<int64_t>(received, 0);
    if (total > 0) {
        f.SizeKb = total / 1024.0;
        f.Percent = static_cast<int>(std::min<int64_t>(received, total) * 100 / total);
    }
    if (elapsedMs > 0) f.RateKbPerSec = received / 1024.0 / (elapsedMs / 1000.0);
    if (total > received && received > 0 && elapsedMs > 0) {
        // Whole seconds at the rate so far, capped at 99 hours so the text keeps its shape.
        const double left = (total - received) * (elapsedMs / 1000.0) / received;
        const long long seconds = static_cast<long long>(std::min(std::ceil(left), 99.0 * 3600 + 3599));
        f.Hours = static_cast<int>(seconds / 3600);
        f.Minutes = static_cast<int>(seconds / 60 % 60);
        f.Seconds = static_cast<int>(seconds % 60);
    }
    return f;
}

}  // namespace tessel::update
