#include "core/hex_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/log_capture.h"

namespace {

TEST(HexText, WritesUpperCaseFormsAndFrameLines) {
    const std::vector<uint8_t> bytes = {0x57, 0x49, 0x0A, 0xFF, 0x00};
    EXPECT_EQ(ToHex(bytes), "57490AFF00");
    EXPECT_EQ(ToSpacedHex(bytes), "57 49 0A FF 00");
    EXPECT_EQ(FormatFrame("RX", {0xAA, 0x08, 0x86}), "[RX] 0xAA 0x08 0x86");
    EXPECT_EQ(FormatFrame("TX", {}), "[TX]");
    EXPECT_EQ(FormatFrameDump("TX", {0x57, 0x49}), "[TX] 0x57 0x49 ");
}

// Pairs of either case between blanks are read; anything else is refused whole, with its reason logged.
TEST(HexText, ReadsOnlyWholePairs) {
    const std::string invalid = "Hex string contains invalid characters.";
    const std::string incomplete = "Hex string has incomplete byte pair.";
    using Bytes = std::vector<uint8_t>;
    struct Case {
        std::string in;
        std::optional<Bytes> out;
        std::string why;
    };
    const Case cases[] = {
        {"57492230", Bytes{0x57, 0x49, 0x22, 0x30}, ""},
        {" \t2b\r\nCd  \v\f", Bytes{0x2B, 0xCD}, ""},
        {" \r\n ", Bytes{}, ""},
        {"1G", {}, invalid},
        {"1 2", {}, invalid},
        {"0x57", {}, invalid},
        {std::string("A\0B", 3), {}, invalid},
        {"\xFF\xFE", {}, invalid},
        {"AB C \r\n", {}, incomplete},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.in);
        testsupport::LogCapture log;
        EXPECT_EQ(TryFromHex(c.in), c.out);
        EXPECT_EQ(FromHex(c.in), c.out.value_or(Bytes{}));
        EXPECT_EQ(log.Messages(), (c.why.empty() ? std::vector<std::string>{} : std::vector{c.why, c.why}));
    }
}

}  // namespace
