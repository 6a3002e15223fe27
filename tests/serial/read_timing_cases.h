// The answers both backends' line tests read, and how long each read may take: the drivers' read
// semantics are the same on a pseudo-terminal and on a Win32 COM port.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

#include "serial/serial_port.h"

namespace serialtest {

using Clock = std::chrono::steady_clock;

inline long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

inline const std::vector<uint8_t> kFjFull = {0xAA, 0x0B, 0x01, 0x86, 0x00, 0x10,
                                             0x27, 0x00, 0x00, 0x5C, 0x3E};

struct ReadTimingCase {
    const char* what;
    std::vector<uint8_t> answer;  // read with a maximum of 11, a minimum of 8, completion byte 0x86
    long long atLeastMs;
    long long belowMs;  // generous: a busy machine stalls any single read
};

inline const std::vector<ReadTimingCase> kReadTimingCases = {
    // A full answer ends the read at once.
    {"full answer", kFjFull, 0, 45},
    // A short answer carrying the completion byte ends one 50 ms interval after its last byte.
    {"short answer with completion byte", {0xAA, 0x08, 0x01, 0x86, 0x00, 0x10, 0x6A, 0x51}, 40, 400},
    // Without it, the read waits out its time-out for more; with nothing at all, too.
    {"short answer without completion byte", {0xAA, 0x08, 0x01, 0x42, 0x00, 0x10, 0x6A, 0x51}, 480, 1500},
    {"silence", {}, 480, 1500},
};

// Every case on an open port: send has the far end put the answer on the line. The best of a few
// tries, as a busy machine may stall any single one; a read that waits out its time-out is tried once.
inline void CheckReadTimings(SerialPort& port, const std::function<void(const std::vector<uint8_t>&)>& send) {
    for (const auto& c : kReadTimingCases) {
        SCOPED_TRACE(c.what);
        long long best = 1000000;
        for (int attempt = 0; attempt < (c.atLeastMs > 100 ? 1 : 3); ++attempt) {
            if (!c.answer.empty()) send(c.answer);
            const auto start = Clock::now();
            EXPECT_EQ(port.Read(11, 8, 0x86, 500), c.answer);
            best = std::min(best, MsSince(start));
        }
        std::printf("[ latency  ] %s: %lld ms\n", c.what, best);
        EXPECT_GE(best, c.atLeastMs);
        EXPECT_LT(best, c.belowMs);
    }
}

}  // namespace serialtest
