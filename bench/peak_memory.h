#pragma once
// The whole-process benchmarks' memory figure.
#include <cstdlib>
#include <fstream>
#include <string>

namespace tessel::bench {

// The process's peak resident memory in kB (VmHWM), 0 where /proc does not tell.
inline long PeakKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

}  // namespace tessel::bench
