#include "core/imessage.h"

namespace {
constexpr size_t kMinFrameLength = 55;
constexpr size_t kFrameOverhead = 7;  // "WI", identifier, length, checksum, "SE"
}  // namespace

uint8_t SumChecksum(const Frame& frame, size_t first, size_t last) {
    unsigned sum = 0;
    for (size_t i = first; i <= last && i < frame.size(); ++i) sum += frame[i];
    return static_cast<uint8_t>(sum & 0xFF);
}

bool IMessage::IsValid(const Frame& frame) const {
    const size_t n = frame.size();
    if (n < kMinFrameLength) return false;
    if (frame[0] != 'W' || frame[1] != 'I') return false;
    if (frame[n - 2] != 'S' || frame[n - 1] != 'E') return false;
    if (frame[3] != n - kFrameOverhead) return false;
    if (frame[n - 3] != SumChecksum(frame, 2, n - 4)) return false;
    return frame[2] == GetId();
}
