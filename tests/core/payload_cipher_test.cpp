#include "core/payload_cipher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "core/hex_text.h"
#include "tests/support/log_capture.h"

namespace {

using testing::IsEmpty;

const SpeckKey kVectorKey{0x03020100, 0x0B0A0908, 0x13121110};

// Cipher text of chosen plain blocks, to reach each check of the decryption. x takes the first four
// bytes of a block and y the last four, both little-endian.
std::string CipherOf(const std::vector<std::array<uint8_t, 8>>& plainBlocks) {
    std::vector<uint8_t> bytes;
    for (const auto& b : plainBlocks) {
        uint32_t w[2] = {};
        for (int i = 7; i >= 0; --i) w[i / 4] = w[i / 4] << 8 | b[i];
        const SpeckBlock c = SpeckEncryptBlock({w[0], w[1]}, kVectorKey);
        for (const uint32_t v : {c.x, c.y})
            for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<uint8_t>(v >> shift));
    }
    return ToHex(bytes);
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
    // clang-format off
    const Case cases[] = {
        {"empty", "", {"Invalid input size"}},
        {"twelve bytes", "000102030405060708090A0B", {"Invalid input size"}},
        {"outer count zero", CipherOf({{1, 2, 3, 4, 5, 6, 7, 0}}), {"Invalid padding"}},
        {"outer count nine", CipherOf({{1, 2, 3, 4, 5, 6, 7, 9}}), {"Invalid padding"}},
        {"nothing inside", CipherOf({eights}), {"Decrypted data is empty"}},
        {"inner count zero", CipherOf({{1, 2, 3, 4, 5, 6, 7, 0}, eights}), {"Invalid PKCS#7 padding"}},
        {"inner count nine", CipherOf({{1, 2, 3, 4, 5, 6, 7, 9}, eights}), {"Invalid PKCS#7 padding"}},
        {"inner count beyond data", CipherOf({{1, 2, 5, 5, 5, 5, 5, 5}}), {"Invalid PKCS#7 padding"}},
        {"inner bytes differ", CipherOf({{1, 2, 3, 4, 5, 3, 2, 3}, eights}), {"Corrupted PKCS#7 padding"}},
    };
    // clang-format on
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        EXPECT_THAT(DecryptPayload(c.hex, kVectorKey), IsEmpty());
        EXPECT_EQ(log.Messages(), c.log);
    }
}

}  // namespace
