#include "fj/packet_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "fj/parameter_descriptions.h"
#include "fj/value_table.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"

namespace {

using fjtest::Packet;
using testing::ElementsAre;
using testing::IsEmpty;

class FjCodec : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }
    static FJ::FjValueTable& Table() { return FJ::FjValueTable::Instance(); }
};

struct CrcCase {
    const char* what;
    std::vector<uint8_t> bytes;
    uint16_t crc;
};

TEST(FjCrc, MatchesWorkedExamples) {
    const CrcCase cases[] = {
        {"check value", {'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
        {"no bytes", {}, 0xFFFF},
        {"read request 01:00", {0x01, 0x06, 0x04, 0x01, 0x00, 0x00, 0x00}, 0x9AFB},
        {"read error 2", {0x01, 0x86, 0x01, 0x02}, 0x6060},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(FJ::ComputeCrc16(c.bytes.data(), c.bytes.size()), c.crc);
    }
}

const Packet kRead0100 = {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0x00, 0x00, 0x9A, 0xFB};
const Packet kWrite0F1C = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0F, 0x1C, 0x34, 0x12, 0xA8, 0xAF};

TEST_F(FjCodec, BuildsTheWorkedRequests) {
    EXPECT_EQ(FJ::BuildReadRequest(0x01, 0x00), kRead0100);
    EXPECT_EQ(FJ::BuildWriteRequest(0x0F, 0x1C, 0x1234), kWrite0F1C);
    EXPECT_EQ(FJ::BuildWriteRequestFromId(L"0f:1c", 0x1234), kWrite0F1C);
    Table().Set(0x0F, 0x1C, 0x1234);
    EXPECT_EQ(FJ::BuildWriteRequestFromTable(L"0F:1C"), kWrite0F1C);
}

TEST_F(FjCodec, WriteRequestsRefuseMalformedIdsAndAddressesOutsideTheTable) {
    struct Case {
        std::wstring id;
        const char* logged;
    };
    const Case cases[] = {
        {L"0D08", "Invalid ID format. Expected format: 0D:08"},
        {L"", "Invalid ID format. Expected format: 0D:08"},
        {L"ZZ:08", "Invalid ID format. Expected format: 0D:08"},
        {L"10D:08", "Invalid ID format. Expected format: 0D:08"},  // not cut to group 0D
        {L"-1:08", "Invalid ID format. Expected format: 0D:08"},
        {L"CD:00", "FJ::read/write - group 205 or index 0 out of range"},
        {L"0D:40", "FJ::read/write - group 13 or index 64 out of range"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.id));
        testsupport::LogCapture log;
        EXPECT_THAT(FJ::BuildWriteRequestFromId(c.id, 1), IsEmpty());
        EXPECT_THAT(FJ::BuildWriteRequestFromTable(c.id), IsEmpty());
        EXPECT_THAT(log.Messages(), ElementsAre(c.logged, c.logged));
    }
}

TEST_F(FjCodec, ParsesIdsOfEitherCase) {
    struct Case {
        std::wstring id;
        uint8_t group;
        uint8_t index;
    };
    const Case cases[] = {{L"0d:08", 0x0D, 0x08},
                          {L"0D:08", 0x0D, 0x08},
                          {L" 64:2", 0x64, 0x02},
                          {L"0x13:0x3D", 0x13, 0x3D},
                          {L"CC:3F", 0xCC, 0x3F}};
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.id));
        const auto address = FJ::TryParseId(c.id);
        ASSERT_TRUE(address.has_value());
        EXPECT_EQ(address->group, c.group);
        EXPECT_EQ(address->index, c.index);
    }
    EXPECT_EQ(FJ::FormatId(0x0D, 0x08), L"0D:08");
    EXPECT_EQ(FJ::FormatNarrowId(0xCC, 0x3F), "CC:3F");
}

struct ResponseCase {
    const char* what;
    Packet packet;
    bool accepted;
    std::vector<std::string> logged;
};

TEST_F(FjCodec, ParseResponseChecksEveryAnswerAndLogsWhy) {
    const ResponseCase cases[] = {
        {"six bytes", {0xEB, 0x90, 0x01, 0x86, 0x01, 0x02}, false, {"FJ: Response too short"}},
        {"bad SOI", {0xEB, 0x91, 0x01, 0x86, 0x01, 0x02, 0x60, 0x60}, false, {"FJ: Invalid SOI"}},
        {"LEN 4 in ten bytes",
         {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8},
         false,
         {"FJ: Incomplete response packet"}},
        {"CRC",
         {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF0},
         false,
         {"FJ: CRC mismatch"}},
        {"read ack",
         {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF1},
         true,
         {"CIDReadAck 1:0 = 2023"}},
        {"read ack with a byte beyond",
         {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF1, 0x55},
         true,
         {"CIDReadAck 1:0 = 2023"}},
        {"read ack of three bytes",
         {0xEB, 0x90, 0x01, 0x06, 0x03, 0x01, 0x00, 0x05, 0x4D, 0x18},
         false,
         {"FJ: Unexpected length in ReadAck"}},
        {"read ack outside the table",
         {0xEB, 0x90, 0x01, 0x06, 0x04, 0xCD, 0x00, 0x07, 0x00, 0xFA, 0xC6},
         true,
         {"FJ::read/write - group 205 or index 0 out of range", "CIDReadAck 205:0 = 7"}},
        {"write ack of three bytes",
         {0xEB, 0x90, 0x01, 0x07, 0x03, 0x01, 0x00, 0x05, 0x8D, 0x25},
         false,
         {"FJ: Unexpected length in WriteAck"}},
        {"read error 2",
         {0xEB, 0x90, 0x01, 0x86, 0x01, 0x02, 0x60, 0x60},
         false,
         {"FJ_ERROR_ACK_INVALID_PARAMETER"}},
        {"read error 5", {0xEB, 0x90, 0x01, 0x86, 0x01, 0x05, 0xA2, 0x21}, false, {}},
        {"read error of two bytes",
         {0xEB, 0x90, 0x01, 0x86, 0x02, 0x02, 0x00, 0x28, 0x90},
         false,
         {"FJ: Unexpected length in ReadError"}},
        {"write error",
         {0xEB, 0x90, 0x01, 0x87, 0x01, 0x02, 0xA0, 0x31},
         false,
         {"FJ: Unsupported or unknown CID"}},
        {"batch read", {0xEB, 0x90, 0x01, 0x0C, 0x04, 0x01, 0x00, 0x00, 0x00, 0x30, 0xFB}, false, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::LogCapture log;
        EXPECT_EQ(FJ::ParseResponse(c.packet), c.accepted);
        EXPECT_EQ(log.Messages(), c.logged);
        EXPECT_THAT(DirtyKeys(), IsEmpty());
    }
    EXPECT_EQ(Table().Get(0x01, 0x00), 2023);
}

TEST_F(FjCodec, RejectedAnswersLeaveTheTable) {
    Table().Set(0x01, 0x00, 1999);
    FJ::ParseResponse({0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF0});  // bad CRC
    FJ::ParseResponse({0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8});        // cut short
    EXPECT_EQ(Table().Get(0x01, 0x00), 1999);
}

TEST_F(FjCodec, WriteAckKeepsTheControllersValueAndMarksIt) {
    testsupport::LogCapture log;
    EXPECT_TRUE(FJ::ParseResponse(kWrite0F1C));
    EXPECT_EQ(Table().Get(0x0F, 0x1C), 0x1234);
    EXPECT_THAT(log.Messages(), ElementsAre("CIDWriteAck 15:28 = 4660", "0F:1C is dirty"));
    EXPECT_THAT(DirtyKeys(), ElementsAre(L"0F:1C"));
}

TEST_F(FjCodec, WriteAckRepeatingTheStoredValueChangesNothing) {
    Table().Set(0x0F, 0x1C, 0x1234);
    testsupport::LogCapture log;
    EXPECT_TRUE(FJ::ParseResponse(kWrite0F1C));
    EXPECT_THAT(log.Messages(), IsEmpty());
    EXPECT_THAT(DirtyKeys(), IsEmpty());
}

// Index 64 of group 0D would land on 0E:00 and group CD past the end of the table.
TEST_F(FjCodec, WriteAckOutsideTheTableIsRefusedAndMarksNothing) {
    const Packet outside[] = {{0xEB, 0x90, 0x01, 0x07, 0x04, 0x0D, 0x40, 0x07, 0x00, 0xFF, 0xFA},
                              {0xEB, 0x90, 0x01, 0x07, 0x04, 0xCD, 0x00, 0x07, 0x00, 0x2B, 0xC7}};
    for (const auto& packet : outside) {
        testsupport::LogCapture log;
        EXPECT_FALSE(FJ::ParseResponse(packet));
        ASSERT_EQ(log.Messages().size(), 1u);
        EXPECT_THAT(log.Messages()[0], testing::EndsWith(" out of range"));
    }
    EXPECT_EQ(Table().Get(0x0E, 0x00), 0);
    EXPECT_THAT(DirtyKeys(), IsEmpty());
}

TEST_F(FjCodec, FormatsTheFirmwareDateAsMonthDayYear) {
    Table().Set(0x01, 0x00, 2023);
    Table().Set(0x01, 0x01, 3);
    Table().Set(0x01, 0x02, 15);
    EXPECT_EQ(FJ::FormatFirmwareDate(), "03/15/2023");
    Table().Set(0x01, 0x00, 999);
    EXPECT_EQ(FJ::FormatFirmwareDate(), "03/15/0999");
}

}  // namespace
