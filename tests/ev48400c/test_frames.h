// Frames for the EV48-400-C tests, built here rather than by the code under test.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <utility>
#include <vector>

#include "ev48400c/entry_lists.h"
#include "ev48400c/message_store.h"
#include "tests/support/entries.h"

namespace ev48test {

using Frame = std::vector<uint8_t>;

// Recomputes the checksum byte of a frame of any length the way the controller does.
inline void FixChecksum(Frame& frame) {
    unsigned sum = 0;
    for (size_t i = 2; i + 3 < frame.size(); ++i) sum += frame[i];
    frame[frame.size() - 3] = static_cast<uint8_t>(sum);
}

// A 55-byte frame with the given payload bytes (position, value) and a correct checksum.
inline Frame MakeFrame(uint8_t id, std::initializer_list<std::pair<size_t, uint8_t>> bytes = {}) {
    Frame frame(55, 0);
    frame[0] = 0x57;
    frame[1] = 0x49;
    frame[2] = id;
    frame[3] = 0x30;
    for (const auto& [position, value] : bytes) frame[position] = value;
    frame[53] = 0x53;
    frame[54] = 0x45;
    FixChecksum(frame);
    return frame;
}

using testsupport::Entry;
using testsupport::Set;
using testsupport::Shown;

}  // namespace ev48test
