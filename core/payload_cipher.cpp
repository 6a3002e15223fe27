#include "core/payload_cipher.h"

#include <array>
#include <cstddef>
#include <optional>
#include <vector>

#include "core/hex_text.h"
#include "core/log.h"

namespace {

constexpr int kRounds = 26;
constexpr size_t kBlockSize = 8;

// Backups written under one key are readable only under the same key, so these pieces never change.
constexpr char kKeyPieceLong[] = "Q7t#Vr2k";
constexpr char kKeyPieceShort[] = "m9Xe";

using RoundKeys = std::array<uint32_t, kRounds>;

uint32_t RotateRight(uint32_t v, int n) {
    return (v >> n) | (v << (32 - n));
}
uint32_t RotateLeft(uint32_t v, int n) {
    return (v << n) | (v >> (32 - n));
}

uint32_t LoadWord(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

void StoreWord(uint32_t v, uint8_t* p) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t WordOfChars(const char* p) {
    return LoadWord(reinterpret_cast<const uint8_t*>(p));
}

// Assembled on every use so the whole key never sits in the data as one piece.
SpeckKey BuiltInKey() {
    return SpeckKey{WordOfChars(kKeyPieceLong + 4), WordOfChars(kKeyPieceShort), WordOfChars(kKeyPieceLong)};
}

RoundKeys ExpandKey(const SpeckKey& key) {
    RoundKeys k{};
    uint32_t l[2] = {key.l0, key.l1};
    k[0] = key.k0;
    for (int i = 0; i + 1 < kRounds; ++i) {
        const uint32_t next = (k[i] + RotateRight(l[i % 2], 8)) ^ static_cast<uint32_t>(i);
        l[i % 2] = next;
        k[i + 1] = RotateLeft(k[i], 3) ^ next;
    }
    return k;
}

SpeckBlock EncryptBlock(SpeckBlock b, const RoundKeys& k) {
    for (uint32_t roundKey : k) {
        b.x = (RotateRight(b.x, 8) + b.y) ^ roundKey;
        b.y = RotateLeft(b.y, 3) ^ b.x;
    }
    return b;
}

SpeckBlock DecryptBlock(SpeckBlock b, const RoundKeys& k) {
    for (int i = kRounds - 1; i >= 0; --i) {
        b.y = RotateRight(b.x ^ b.y, 3);
        b.x = RotateLeft((b.x ^ k[static_cast<size_t>(i)]) - b.y, 8);
    }
    return b;
}

template <typename Transform>
void TransformBlocks(std::vector<uint8_t>& bytes, const RoundKeys& k, Transform transform) {
    for (size_t at = 0; at + kBlockSize <= bytes.size(); at += kBlockSize) {
        uint8_t* p = bytes.data() + at;
        const SpeckBlock out = transform(SpeckBlock{LoadWord(p), LoadWord(p + 4)}, k);
        StoreWord(out.x, p);
        StoreWord(out.y, p + 4);
    }
}

void AddPadding(std::vector<uint8_t>& bytes) {
    const size_t n = kBlockSize - bytes.size() % kBlockSize;
    bytes.insert(bytes.end(), n, static_cast<uint8_t>(n));
}

}  // namespace

SpeckBlock SpeckEncryptBlock(SpeckBlock block, const SpeckKey& key) {
    return EncryptBlock(block, ExpandKey(key));
}

SpeckBlock SpeckDecryptBlock(SpeckBlock block, const SpeckKey& key) {
    return DecryptBlock(block, ExpandKey(key));
}

std::string EncryptPayload(std::string_view text) {
    return EncryptPayload(text, BuiltInKey());
}

std::string DecryptPayload(std::string_view hexText) {
    return DecryptPayload(hexText, BuiltInKey());
}

// The second padding always adds a whole block; readers of existing backups expect it.
std::string EncryptPayload(std::string_view text, const SpeckKey& key) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    AddPadding(bytes);
    AddPadding(bytes);
    TransformBlocks(bytes, ExpandKey(key), EncryptBlock);
    return ToHex(bytes);
}

std::string DecryptPayload(std::string_view hexText, const SpeckKey& key) {
    std::optional<std::vector<uint8_t>> decoded = TryFromHex(hexText);
    if (!decoded) return {};
    std::vector<uint8_t>& bytes = *decoded;
    // Empty input is refused here too: the padding checks below read the last byte.
    if (bytes.empty() || bytes.size() % kBlockSize != 0) {
        Log("Invalid input size");
        return {};
    }
    TransformBlocks(bytes, ExpandKey(key), DecryptBlock);

    const size_t outer = bytes.back();
    if (outer < 1 || outer > kBlockSize) {
        Log("Invalid padding");
        return {};
    }
    bytes.resize(bytes.size() - outer);

    if (bytes.empty()) {
        Log("Decrypted data is empty");
        return {};
    }
    const size_t inner = bytes.back();
    // A count beyond the remaining bytes would strip more than the data holds.
    if (inner < 1 || inner > kBlockSize || inner > bytes.size()) {
        Log("Invalid PKCS#7 padding");
        return {};
    }
    for (size_t i = bytes.size() - inner; i < bytes.size(); ++i) {
        if (bytes[i] != inner) {
            Log("Corrupted PKCS#7 padding");
            return {};
        }
    }
    bytes.resize(bytes.size() - inner);
    return std::string(bytes.begin(), bytes.end());
}
