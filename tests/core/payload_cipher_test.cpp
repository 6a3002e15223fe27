#include "core/payload_cipher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdio>

#include "tests/support/log_capture.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

const SpeckKey kVectorKey{0x03020100, 0x0B0A0908, 0x13121110};

// x takes the first four bytes and y the last four, both little-endian.
SpeckBlock BlockOf(const std::array<uint8_t, 8>& b) {
    auto word = [&](int at) {
        return static_cast<uint32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 |
                                     static_cast<uint32_t>(b[at + 3]) << 24);
    };
    return {word(0), word(4)};
}

std::string HexOf(SpeckBlock block) {
    char out[17];
    const uint32_t x = block.x, y = block.y;
    std::snprintf(out, sizeof out, "%02X%02X%02X%02X%02X%02X%02X%02X", x & 0xFF, x >> 8 & 0xFF,
                  x >> 16 & 0xFF, x >> 24, y & 0xFF, y >> 8 & 0xFF, y >> 16 & 0xFF, y >> 24);
    return out;
}

// Cipher text of chosen plain blocks, to reach each check of the decryption.
std::string CipherOf(const std::vector<std::array<uint8_t, 8>>& plainBlocks) {
    std::string hex;
    for (const auto& b : plainBlocks) hex += HexOf(SpeckEncryptBlock(BlockOf(b), kVectorKey));
    return hex;
}

TEST(PayloadCipher, MatchesPublishedVector) {
    const SpeckBlock plain{0x74614620, 0x736E6165};
    const SpeckBlock cipher{0x9F7952EC, 0x4175946C};
    EXPECT_EQ(SpeckEncryptBlock(plain, kVectorKey), cipher);
    EXPECT_EQ(SpeckDecryptBlock(cipher, kVectorKey), plain);
}

TEST(PayloadCipher, PadsTwiceBeforeEnciphering) {
    EXPECT_EQ(EncryptPayload("HELLO", kVectorKey),
              CipherOf({{'H', 'E', 'L', 'L', 'O', 3, 3, 3}, {8, 8, 8, 8, 8, 8, 8, 8}}));
    EXPECT_EQ(EncryptPayload("", kVectorKey), CipherOf({{8, 8, 8, 8, 8, 8, 8, 8}, {8, 8, 8, 8, 8, 8, 8, 8}}));
}

TEST(PayloadCipher, RoundTripsEveryLength) {
    std::string text;
    for (int length = 0; length <= 64; ++length) {
        SCOPED_TRACE(length);
        const std::string hex = EncryptPayload(text);
        EXPECT_EQ(hex.size(), static_cast<size_t>(2 * 8 * (length / 8 + 2)));
        EXPECT_EQ(DecryptPayload(hex), text);
        EXPECT_EQ(DecryptPayload(EncryptPayload(text, kVectorKey), kVectorKey), text);
        text += static_cast<char>("0123456789ABCDEF"[length % 16] + (length > 40 ? 0x80 : 0));
    }
}

TEST(PayloadCipher, RefusesWhatDoesNotDecipher) {
    struct Case {
        const char* what;
        std::string hex;
        std::vector<std::string> log;
    };
    const std::array<uint8_t, 8> eights = {8, 8, 8, 8, 8, 8, 8, 8};
    const Case cases[] = {
        {"empty", "", {"Invalid input size"}},
        {"twelve bytes", "000102030405060708090A0B", {"Invalid input size"}},
        {"not hex", "0G01020304050607", {"Hex string contains invalid characters."}},
        {"odd digit", "000102030405060", {"Hex string has incomplete byte pair."}},
        {"outer count zero", CipherOf({{1, 2, 3, 4, 5, 6, 7, 0}}), {"Invalid padding"}},
        {"outer count nine", CipherOf({{1, 2, 3, 4, 5, 6, 7, 9}}), {"Invalid padding"}},
        {"nothing inside", CipherOf({eights}), {"Decrypted data is empty"}},
        {"inner count zero",
         CipherOf({{'a', 'b', 'c', 'd', 'e', 'f', 'g', 0}, eights}),
         {"Invalid PKCS#7 padding"}},
        {"inner count nine",
         CipherOf({{'a', 'b', 'c', 'd', 'e', 'f', 'g', 9}, eights}),
         {"Invalid PKCS#7 padding"}},
        {"inner count beyond data", CipherOf({{'a', 'b', 5, 5, 5, 5, 5, 5}}), {"Invalid PKCS#7 padding"}},
        {"inner bytes differ",
         CipherOf({{'a', 'b', 'c', 'd', 'e', 3, 2, 3}, eights}),
         {"Corrupted PKCS#7 padding"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        EXPECT_THAT(DecryptPayload(c.hex, kVectorKey), IsEmpty());
        EXPECT_EQ(log.Messages(), c.log);
    }
}

}  // namespace
