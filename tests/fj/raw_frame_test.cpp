// The FJ commands of the raw frame page: packets described, what is missing named, the CRC written in.
#include "fj/raw_frame.h"

#include <gtest/gtest.h>

namespace {

TEST(FjRawFrame, DescribesTypedPacketsAndSaysWhatIsMissing) {
    const auto tx = FJ::ParseTxFrame;
    const auto rx = FJ::ParseRxFrame;
    const struct {
        const char* what;
        RawFrameOutcome (*parse)(std::string_view);
        const char* text;
        std::optional<std::string> result;
        std::optional<std::string> status;
    } cases[] = {
        {"read request", tx, "EB 90 01 06 04 01 00 00 00 9A FB",
         "FJ_CID_READ_REQUEST\r\nLEN: 4\r\nGroup: 1\r\nIndex: 0\r\nSoftware release data(year)\r\n"
         "Value: 0x00 0x00 0\r\n",
         ""},
        {"LEN too small for an address: its CRC is not read as one", tx, "EB 90 01 06 01 05 4A 20",
         "FJ_CID_READ_REQUEST\r\nLEN: 1\r\nMissing: Index, Value low byte, Value high byte\r\n", ""},
        {"unknown CID", tx, "EB 90 01 09 04 01 00 00 00 65 FB", "Invalid CID", "Invalid CID"},
        {"CRC low byte wrong", tx, "EB 90 01 06 04 01 00 00 00 9A FC", "Invalid Checksum",
         "Invalid Checksum"},
        {"six bytes", tx, "EB 90 01 06 04 01", "Invalid Frame\r\nMissing: 1 of the 7 bytes every packet has",
         "Invalid Frame"},
        {"shorter than its LEN", tx, "EB 90 01 06 04 01 00 00 00 9A",
         "Invalid Frame\r\nMissing: 1 of the 11 bytes LEN 4 announces", "Invalid Frame"},
        {"empty", tx, "", std::nullopt, std::nullopt},
        {"read acknowledge, lower case and loose blanks", rx, " eb 90 01 06 04 0f 1c 34 12 79 ae\r\n",
         "FJ_CID_READ_ACK\r\nLEN: 4\r\nGroup: 15\r\nIndex: 28\r\nH Gear - Speed at Partition 1\r\n"
         "Value: 0x34 0x12 4660\r\n",
         ""},
        {"read error", rx, "EB 90 01 86 01 02 60 60",
         "FJ_CID_READ_ERROR\r\nLEN: 1\r\nFJ_ERROR_ACK_INVALID_PARAMETER", "FJ_CID_READ_ERROR"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const auto outcome = c.parse(c.text);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.status, c.status);
    }
}

TEST(FjRawFrame, WritesTheCrcIntoTheLastTwoBytes) {
    const struct {
        const char* text;
        std::optional<std::string> fixed;
    } cases[] = {
        {"EB 90 01 06 04 01 00 00 00 00 00", "EB 90 01 06 04 01 00 00 00 9A FB"},
        {"eb 90 01 07 04 0f 1c 34 12 ff ff", "EB 90 01 07 04 0F 1C 34 12 A8 AF"},
        {"EB 90 01 00 00", "EB 90 01 80 7E"},  // address only: the CRC of that one byte
        {"EB 90 01 00", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(FJ::FixChecksum(c.text), c.fixed) << c.text;
}

}  // namespace
