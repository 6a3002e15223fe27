// How long a read takes for each kind of answer: the same on a pseudo-terminal and on a Win32 COM port.
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

// Read with a maximum of 11, a minimum of 8, completion byte 0x86: a short answer with that byte ends one
// 50 ms interval after its last byte, one without waits out the time-out. send has the far end answer;
// a busy machine may stall any single read, so bounds are generous and quick cases take the best of 3.
inline void CheckReadTimings(SerialPort& port, const std::function<void(const std::vector<uint8_t>&)>& send) {
    const struct {
        const char* what;
        std::vector<uint8_t> answer;
        long long atLeastMs, belowMs;
    } kCases[] = {
        {"full answer", kFjFull, 0, 45},
        {"short answer with completion byte", {0xAA, 0x08, 0x01, 0x86, 0x00, 0x10, 0x6A, 0x51}, 40, 400},
        {"short answer without completion byte", {0xAA, 0x08, 0x01, 0x42, 0x00, 0x10, 0x6A, 0x51}, 480, 1500},
        {"silence", {}, 480, 1500},
    };
    for (const auto& c : kCases) {
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
