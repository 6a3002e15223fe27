// The last known value of every FJ address: 205 groups of 64 sixteen-bit words, addressed
// group x 64 + index. Every reader and writer of FJ values goes through the one process-wide table.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace FJ {

inline constexpr size_t kGroupCount = 205;
inline constexpr size_t kIndexCount = 64;

class FjValueTable {
public:
    static FjValueTable& Instance();

    // Outside the table Get gives 0 and Set changes nothing (and answers false): callers that need a
    // log line for such an address ask CheckAddress first.
    uint16_t Get(uint8_t group, uint8_t index) const;
    bool Set(uint8_t group, uint8_t index, uint16_t value);
    // All zero, as at start-up: nothing read.
    void Clear() { values_.fill(0); }

    static bool Contains(uint8_t group, uint8_t index) { return group < kGroupCount && index < kIndexCount; }

private:
    std::array<uint16_t, kGroupCount * kIndexCount> values_{};
};

}  // namespace FJ
