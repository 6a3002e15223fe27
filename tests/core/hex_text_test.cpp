#include "core/hex_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/log_capture.h"

namespace {

using testing::ElementsAre;
using testing::IsEmpty;

TEST(HexText, WritesUpperCaseFormsAndFrameLines) {
    const std::vector<uint8_t> bytes = {0x57, 0x49, 0x0A, 0xFF, 0x00};
    EXPECT_EQ(ToHex(bytes), "57490AFF00");
    EXPECT_EQ(ToSpacedHex(bytes), "57 49 0A FF 00");
    EXPECT_EQ(FormatFrame("RX", {0xAA, 0x08, 0x86}), "[RX] 0xAA 0x08 0x86");
    EXPECT_EQ(FormatFrame("TX", {}), "[TX]");
    EXPECT_EQ(FormatFrameDump("TX", {0x57, 0x49}), "[TX] 0x57 0x49 ");
}

TEST(HexText, ReadsPairsOfEitherCaseBetweenBlanks) {
    struct Case {
        const char* what;
        std::string in;
        std::vector<uint8_t> out;
    };
    const Case cases[] = {
        {"unseparated", "57492230", {0x57, 0x49, 0x22, 0x30}},
        {"lower case", "aBcd ef", {0xAB, 0xCD, 0xEF}},
        {"blanks around and between", " \t2b\r\n04  \v\f", {0x2B, 0x04}},
        {"empty", "", {}},
        {"blanks only", " \r\n ", {}},
    };
    testsupport::LogCapture log;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto bytes = TryFromHex(c.in);
        ASSERT_TRUE(bytes.has_value());
        EXPECT_EQ(*bytes, c.out);
    }
    EXPECT_THAT(log.Messages(), IsEmpty());
}

TEST(HexText, RefusesAnythingButWholePairs) {
    const std::string invalid = "Hex string contains invalid characters.";
    const std::string incomplete = "Hex string has incomplete byte pair.";
    struct Case {
        const char* what;
        std::string in;
        const std::string& message;
    };
    const Case cases[] = {
        {"non-digit in pair", "1G", invalid},
        {"blank inside pair", "1 2", invalid},
        {"prefix", "0x57", invalid},
        {"NUL inside pair", std::string("A\0B", 3), invalid},
        {"high bytes", "\xFF\xFE", invalid},
        {"odd last digit", "ABC", incomplete},
        {"odd digit then blanks", "AB C \r\n", incomplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        EXPECT_FALSE(TryFromHex(c.in).has_value());
        EXPECT_THAT(FromHex(c.in), IsEmpty());
        EXPECT_THAT(log.Messages(), ElementsAre(c.message, c.message));
    }
}

}  // namespace
