// The FJ commands of the raw frame page: the packets of the protocol's worked examples described, short
// and damaged text refused with what is missing, and the CRC written into typed text.
#include "fj/raw_frame.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/log_capture.h"

namespace {

struct ParseCase {
    const char* what;
    const char* text;
    const char* result;
    const char* status;
};

const ParseCase kTxCases[] = {
    {"read request", "EB 90 01 06 04 01 00 00 00 9A FB",
     "FJ_CID_READ_REQUEST\r\nLEN: 4\r\nGroup: 1\r\nIndex: 0\r\nSoftware release data(year)\r\n"
     "Value: 0x00 0x00 0\r\n",
     ""},
    {"write request, lower case and loose blanks", " eb 90 01 07 04 0f 1c 34 12 a8 af\r\n",
     "FJ_CID_WRITE_REQUEST\r\nLEN: 4\r\nGroup: 15\r\nIndex: 28\r\nH Gear - Speed at Partition 1\r\n"
     "Value: 0x34 0x12 4660\r\n",
     ""},
    {"batch request", "EB 90 01 0C 04 0D 08 00 00 A2 79",
     "FJ_CID_READ_BATCH_REQUEST\r\nLEN: 4\r\nGroup: 13\r\nIndex: 8\r\nCurrent alarm 2 Data\r\nValue: 0x00 "
     "0x00 0\r\n",
     ""},
    {"LEN too small for an address: its CRC is not read as one", "EB 90 01 06 01 05 4A 20",
     "FJ_CID_READ_REQUEST\r\nLEN: 1\r\nMissing: Index, Value low byte, Value high byte\r\n", ""},
    {"unknown CID", "EB 90 01 09 04 01 00 00 00 65 FB", "Invalid CID", "Invalid CID"},
    {"an answer is not a request", "EB 90 01 86 01 02 60 60", "Invalid CID", "Invalid CID"},
    {"CRC low byte wrong", "EB 90 01 06 04 01 00 00 00 9A FC", "Invalid Checksum", "Invalid Checksum"},
    {"wrong SOI", "EB 91 01 06 04 01 00 00 00 9A FB", "Invalid Frame", "Invalid Frame"},
    {"six bytes", "EB 90 01 06 04 01", "Invalid Frame\r\nMissing: 1 of the 7 bytes every packet has",
     "Invalid Frame"},
    {"shorter than its LEN", "EB 90 01 06 04 01 00 00 00 9A",
     "Invalid Frame\r\nMissing: 1 of the 11 bytes LEN 4 announces", "Invalid Frame"},
    {"LEN far beyond the text", "EB 90 01 06 FF 01 00 00 00 9A FB",
     "Invalid Frame\r\nMissing: 251 of the 262 bytes LEN 255 announces", "Invalid Frame"},
    {"only blanks", " \t ", "Invalid Frame\r\nMissing: 7 of the 7 bytes every packet has", "Invalid Frame"},
};

const ParseCase kRxCases[] = {
    {"read acknowledge", "EB 90 01 06 04 0F 1C 34 12 79 AE",
     "FJ_CID_READ_ACK\r\nLEN: 4\r\nGroup: 15\r\nIndex: 28\r\nH Gear - Speed at Partition 1\r\n"
     "Value: 0x34 0x12 4660\r\n",
     ""},
    {"write acknowledge", "EB 90 01 07 04 0F 1C 34 12 A8 AF",
     "FJ_CID_WRITE_ACK\r\nLEN: 4\r\nGroup: 15\r\nIndex: 28\r\nH Gear - Speed at Partition 1\r\n"
     "Value: 0x34 0x12 4660\r\n",
     ""},
    {"read error", "EB 90 01 86 01 02 60 60", "FJ_CID_READ_ERROR\r\nLEN: 1\r\nFJ_ERROR_ACK_INVALID_PARAMETER",
     "FJ_CID_READ_ERROR"},
    {"write error", "EB 90 01 87 01 06 63 30", "FJ_CID_WRITE_ERROR\r\nLEN: 1\r\nFJ_ERROR_ACK_WRITE_FAIL",
     "FJ_CID_WRITE_ERROR"},
    {"error code without a name", "EB 90 01 86 01 09 A7 21", "FJ_CID_READ_ERROR\r\nLEN: 1",
     "FJ_CID_READ_ERROR"},
    {"error without its code", "EB 90 01 86 00 60 42", "FJ_CID_READ_ERROR\r\nLEN: 0\r\nMissing: Error code",
     "FJ_CID_READ_ERROR"},
    {"a batch request is no answer", "EB 90 01 0C 04 0D 08 00 00 A2 79", "Invalid CID", "Invalid CID"},
};

void ExpectOutcome(const ParseCase& c, const RawFrameOutcome& outcome) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.status, c.status);
}

TEST(FjRawFrame, DescribesTypedRequests) {
    for (const auto& c : kTxCases) ExpectOutcome(c, FJ::ParseTxFrame(c.text));
}

TEST(FjRawFrame, DescribesAnswers) {
    for (const auto& c : kRxCases) ExpectOutcome(c, FJ::ParseRxFrame(c.text));
}

TEST(FjRawFrame, TextThatIsNotHexIsAnInvalidFrameAfterTheDecodersLine) {
    const struct {
        const char* text;
        const char* logLine;
    } cases[] = {
        {"EB 90 0G", "Hex string contains invalid characters."},
        {"EB 90 0", "Hex string has incomplete byte pair."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        testsupport::LogCapture log;
        const auto outcome = FJ::ParseRxFrame(c.text);
        EXPECT_EQ(outcome.result, "Invalid Frame");
        EXPECT_EQ(outcome.status, std::string("Invalid Frame: ") + c.logLine);
        EXPECT_THAT(log.Messages(), testing::ElementsAre(c.logLine));
        EXPECT_FALSE(FJ::FixChecksum(c.text));
    }
    EXPECT_FALSE(FJ::ParseTxFrame("").status);
    EXPECT_FALSE(FJ::ParseTxFrame("").result);
}

TEST(FjRawFrame, WritesTheCrcIntoTheLastTwoBytes) {
    const struct {
        const char* text;
        const char* fixed;  // nullptr: nothing to fix
    } cases[] = {
        {"EB 90 01 06 04 01 00 00 00 00 00", "EB 90 01 06 04 01 00 00 00 9A FB"},
        {"eb 90 01 07 04 0f 1c 34 12 ff ff", "EB 90 01 07 04 0F 1C 34 12 A8 AF"},
        {"EB 90 01 86 01 02 00 00", "EB 90 01 86 01 02 60 60"},
        // Address only: the CRC of that one byte.
        {"EB 90 01 00 00", "EB 90 01 80 7E"},
        {"EB 90 01 00", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto fixed = FJ::FixChecksum(c.text);
        if (c.fixed)
            EXPECT_EQ(fixed, c.fixed);
        else
            EXPECT_FALSE(fixed);
    }
}

}  // namespace
