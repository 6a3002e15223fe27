// The cipher of the data payloads in backup files: Speck 64/96 in ECB mode over twice-padded bytes,
// carried as hex text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// k0 is the first round key, l0 and l1 the further words of the key schedule.
struct SpeckKey {
    uint32_t k0;
    uint32_t l0;
    uint32_t l1;
};

// One 64-bit block: x from the first four bytes, y from the last four, each little-endian.
struct SpeckBlock {
    uint32_t x;
    uint32_t y;
    bool operator==(const SpeckBlock&) const = default;
};

SpeckBlock SpeckEncryptBlock(SpeckBlock block, const SpeckKey& key);
SpeckBlock SpeckDecryptBlock(SpeckBlock block, const SpeckKey& key);

// Text to the hex text of its cipher, and back. A payload that does not decipher logs why and
// gives an empty text.
std::string EncryptPayload(std::string_view text);
std::string DecryptPayload(std::string_view hexText);
// The same under another key.
std::string EncryptPayload(std::string_view text, const SpeckKey& key);
std::string DecryptPayload(std::string_view hexText, const SpeckKey& key);
