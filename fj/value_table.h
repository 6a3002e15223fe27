// The last known value of every FJ address: 205 groups of 64 sixteen-bit words, addressed
// group x 64 + index. Every reader and writer of FJ values goes through the one process-wide table.
// Beside each value the table keeps whether the controller gave it in this connection.
#pragma once

#include <array>
#include <bitset>
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
    // The controller's answer gave the value now at this address (a read acknowledge, or the echo of a
    // write). Edits and data files change values without it.
    void MarkRead(uint8_t group, uint8_t index);
    bool WasRead(uint8_t group, uint8_t index) const;
    // Before a full read: the marks then say what this read got.
    void ForgetReads() { read_.reset(); }
    // All zero and nothing read, as at start-up.
    void Clear() {
        values_.fill(0);
        read_.reset();
    }

    static bool Contains(uint8_t group, uint8_t index) { return group < kGroupCount && index < kIndexCount; }

private:
    std::array<uint16_t, kGroupCount * kIndexCount> values_{};
    std::bitset<kGroupCount * kIndexCount> read_;
};

}  // namespace FJ
