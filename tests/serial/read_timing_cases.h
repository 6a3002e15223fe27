// The answers both backends' line tests read, and how long each read may take: the drivers' read
// semantics are the same on a pseudo-terminal and on a Win32 COM port.
#pragma once

#include <cstdint>
#include <vector>

namespace serialtest {

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
    // Without it, the read waits out its time-out for more.
    {"short answer without completion byte", {0xAA, 0x08, 0x01, 0x42, 0x00, 0x10, 0x6A, 0x51}, 480, 1500},
};

}  // namespace serialtest
