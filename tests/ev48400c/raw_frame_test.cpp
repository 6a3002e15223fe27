// The EV48-400-C commands of the raw frame page: checks, descriptions, the checksum fix, and text that
// is short or not hex at all.
#include "ev48400c/raw_frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"

namespace {

using ev48test::MakeFrame;

std::string Text(const ev48test::Frame& frame) {
    return ToSpacedHex(frame);
}

class Ev48400cRawFrame : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }
};

struct RefusalCase {
    const char* what;
    std::string text;
    const char* status;
    const char* logLine;  // nullptr: nothing logged
};

TEST_F(Ev48400cRawFrame, RefusesShortDamagedAndUnknownFrames) {
    auto badChecksum = MakeFrame(0x22);
    badChecksum[52] ^= 1;
    const RefusalCase cases[] = {
        {"two bytes", "57 49", "Invalid Frame", nullptr},
        {"header and trailer only: the checksum would be the header", "57 49 53 45", "Invalid Checksum",
         nullptr},
        {"no trailer", "57 49 22 30 52 53", "Invalid Frame", nullptr},
        {"odd digit", "57 49 2", "Invalid Frame: Hex string has incomplete byte pair.",
         "Hex string has incomplete byte pair."},
        {"not hex", "57 49 ZZ", "Invalid Frame: Hex string contains invalid characters.",
         "Hex string contains invalid characters."},
        {"only blanks", "   ", "Invalid Frame", nullptr},
        {"checksum off by one", Text(badChecksum), "Invalid Checksum", nullptr},
        {"response on the transmit side", Text(MakeFrame(0x29)), "Invalid MessageID", nullptr},
        {"named but never decoded", Text(MakeFrame(0x30)), "Invalid MessageID", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        const auto outcome = EV48400C::ParseTxFrame(c.text);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_FALSE(outcome.result);
        if (c.logLine)
            EXPECT_THAT(log.Messages(), testing::ElementsAre(c.logLine));
        else
            EXPECT_TRUE(log.Messages().empty());
    }
}

TEST_F(Ev48400cRawFrame, EmptyTextDoesNothing) {
    for (const auto& outcome : {EV48400C::ParseTxFrame(""), EV48400C::ParseRxFrame("")}) {
        EXPECT_FALSE(outcome.status);
        EXPECT_FALSE(outcome.result);
    }
    EXPECT_FALSE(EV48400C::FixChecksum(""));
}

TEST_F(Ev48400cRawFrame, DescribesARequest) {
    const auto outcome = EV48400C::ParseTxFrame(Text(MakeFrame(0x22, {{4, 1}, {5, 0x32}, {6, 2}})));
    EXPECT_EQ(
        outcome.status,
        "CID: 0x22\r\nRequest command: RequestSpecifiedMessageData\r\nRequest data: 0x32 FirmwareVersion\r\n"
        "Historical fault index: 0x02\r\nHistorical Fault Section Sub-Number: 0x00");
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

TEST_F(Ev48400cRawFrame, AFrameOfTheWrongLengthIsNotDescribedAsZeros) {
    auto frame = MakeFrame(0x32);
    frame.erase(frame.begin() + 20);  // 54 bytes, trailer and checksum still right
    ev48test::FixChecksum(frame);
    testsupport::LogCapture log;
    EXPECT_EQ(EV48400C::ParseRxFrame(Text(frame)).status, "Invalid Frame");
    EXPECT_TRUE(log.Contains("FirmwareVersion: Invalid data"));
}

TEST_F(Ev48400cRawFrame, WritesTheChecksumIntoTypedText) {
    auto frame = MakeFrame(0x22, {{4, 1}, {5, 0x32}});
    const uint8_t right = frame[52];
    frame[52] = 0;
    const auto fixed = EV48400C::FixChecksum(Text(frame));
    ASSERT_TRUE(fixed);
    EXPECT_EQ(right, 0x85);  // 0x22 + 0x30 + 0x01 + 0x32
    frame[52] = 0x85;
    EXPECT_EQ(*fixed, Text(frame));
    // "WI" and one more byte, lower case and loose blanks: the sum of nothing goes at position 2.
    EXPECT_EQ(EV48400C::FixChecksum("57 49 ab 53 45"), "57 49 00 53 45");
    EXPECT_FALSE(EV48400C::FixChecksum("57 49 53 45"));
    EXPECT_FALSE(EV48400C::FixChecksum("57 4"));
}

}  // namespace
