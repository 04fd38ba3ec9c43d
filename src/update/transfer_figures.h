#pragma once
// The download wizard's figures for one file: its size, the transfer rate so far and the time
// left at that rate.
#include <cstdint>

namespace tessel::update {

struct TransferFigures {
    double SizeKb = 0;       // 0 while the server has not said
    double RateKbPerSec = 0;  // 0 until time has passed
    int Hours = 0, Minutes = 0, Seconds = 0;
    int Percent = 0;  // 0..100
};

// total: the announced size in bytes, or -1 when unknown; received: bytes so far; elapsedMs: the
// time since the file's transfer began.
TransferFigures ComputeTransferFigures(int64_t total, int64_t received, uint32_t elapsedMs);

}  // namespace tessel::update
