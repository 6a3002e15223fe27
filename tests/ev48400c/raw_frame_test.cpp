// The EV48-400-C commands of the raw frame page: checks, descriptions and the checksum fix.
#include "ev48400c/raw_frame.h"

#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"

namespace {

using ev48test::MakeFrame;

std::string Text(const ev48test::Frame& frame) {
    return ToSpacedHex(frame);
}

using Ev48400cRawFrame = testsupport::FreshFamilies;

TEST_F(Ev48400cRawFrame, ChecksAndDescribesTypedFrames) {
    auto badChecksum = MakeFrame(0x22);
    badChecksum[52] ^= 1;
    auto wrongLength = MakeFrame(0x32);
    wrongLength.erase(wrongLength.begin() + 20);  // 54 bytes, trailer and checksum still right
    ev48test::FixChecksum(wrongLength);
    const auto tx = EV48400C::ParseTxFrame;
    const auto rx = EV48400C::ParseRxFrame;
    const struct {
        const char* what;
        RawFrameOutcome (*parse)(std::string_view);
        std::string text;
        std::optional<std::string> status;
    } cases[] = {
        {"empty", tx, "", std::nullopt},
        {"no trailer", tx, "57 49 22 30 52 53", "Invalid Frame"},
        {"checksum off by one", tx, Text(badChecksum), "Invalid Checksum"},
        {"response on the transmit side", tx, Text(MakeFrame(0x29)), "Invalid MessageID"},
        {"an answer of the wrong length is not described as zeros", rx, Text(wrongLength), "Invalid Frame"},
        {"request", tx, Text(MakeFrame(0x22, {{4, 1}, {5, 0x32}, {6, 2}, {7, 0xB1}})),
         "CID: 0x22\r\nRequest command: RequestSpecifiedMessageData\r\nRequest data: 0x32 FirmwareVersion\r\n"
         "Historical fault index: 0x02\r\nHistorical Fault Section Sub-Number: 0xB1"},
        {"command response", rx, Text(MakeFrame(0xFE, {{4, 53}, {5, 2}, {6, 0x03}, {7, 0x02}})),
         "CID: 0xFE\r\nRequestID: 53\r\nResponseCode: abnormality\r\nHistoryDTCNum: 515"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto outcome = c.parse(c.text);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_FALSE(outcome.result);
    }
}

TEST_F(Ev48400cRawFrame, DescribesAnAnswerWithoutTouchingTheReadValues) {
    // 2023/3/15, version 7, type 3
    const auto frame = MakeFrame(0x32, {{4, 0xE7}, {5, 0x07}, {6, 3}, {8, 15}, {10, 7}, {12, 3}});
    EXPECT_EQ(EV48400C::ParseRxFrame(Text(frame)).status,
              "Firmware Release Date=2023/3/15\nFirmware Version=v7\nFirmware Type=Electric brakes 4kW\n");
    EXPECT_TRUE(EV48400C::List(EV48400C::kFirmwareList).empty());
    EXPECT_FALSE(EV48400C::Messages().firmwareVersion);

    // Live data naming the D5 model must not turn the connected controller into one.
    const auto live = MakeFrame(0x29, {{8, 1}});
    EXPECT_NE(EV48400C::ParseRxFrame(Text(live)).status, "Invalid Frame");
    EXPECT_FALSE(EV48400C::isD5Model);
    EXPECT_TRUE(EV48400C::List(EV48400C::kLiveDataList).empty());
}

TEST_F(Ev48400cRawFrame, WritesTheChecksumIntoTypedText) {
    auto frame = MakeFrame(0x22, {{4, 1}, {5, 0x32}});
    frame[52] = 0;
    auto fixed = frame;
    fixed[52] = 0x85;  // 0x22 + 0x30 + 0x01 + 0x32
    const struct {
        std::string text;
        std::optional<std::string> fixed;
    } cases[] = {
        {Text(frame), Text(fixed)},
        // "WI" and one more byte, lower case and loose blanks: the sum of nothing goes at position 2.
        {"57 49 ab 53 45", "57 49 00 53 45"},
        {"57 49 53 45", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(EV48400C::FixChecksum(c.text), c.fixed) << c.text;
}

}  // namespace
