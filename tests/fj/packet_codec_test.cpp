#include "fj/packet_codec.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "fj/parameter_descriptions.h"
#include "fj/value_table.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/families.h"

namespace {

using fjtest::Packet;
using testing::IsEmpty;

using FjCodec = testsupport::FreshFamilies;
FJ::FjValueTable& Table() {
    return FJ::FjValueTable::Instance();
}

TEST(FjCrc, MatchesWorkedExamples) {
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
        uint16_t crc;
    } cases[] = {
        {"check value", {'1', '2', '3', '4', '5', '6', '7', '8', '9'}, 0x4B37},
        {"no bytes", {}, 0xFFFF},
        {"read request 01:00", {0x01, 0x06, 0x04, 0x01, 0x00, 0x00, 0x00}, 0x9AFB},
        {"read error 2", {0x01, 0x86, 0x01, 0x02}, 0x6060},
    };
    for (const auto& c : cases) EXPECT_EQ(FJ::ComputeCrc16(c.bytes.data(), c.bytes.size()), c.crc) << c.what;
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

TEST_F(FjCodec, IdsOfEitherCaseAreReadAndOthersBuildNoRequest) {
    const struct {
        const wchar_t* id;
        uint8_t group;
        uint8_t index;
    } ids[] = {
        {L"0d:08", 0x0D, 0x08}, {L" 64:2", 0x64, 0x02}, {L"0x13:0x3D", 0x13, 0x3D}, {L"CC:3F", 0xCC, 0x3F}};
    for (const auto& c : ids) {
        const auto address = FJ::TryParseId(c.id);
        ASSERT_TRUE(address.has_value()) << text::WideToUtf8(c.id);
        EXPECT_EQ(address->group, c.group);
        EXPECT_EQ(address->index, c.index);
    }
    // Malformed ("10D:08" is not cut to group 0D), or outside the table.
    for (const wchar_t* id : {L"0D08", L"", L"ZZ:08", L"10D:08", L"-1:08", L"CD:00", L"0D:40"}) {
        SCOPED_TRACE(text::WideToUtf8(id));
        EXPECT_THAT(FJ::BuildWriteRequestFromId(id, 1), IsEmpty());
        EXPECT_THAT(FJ::BuildWriteRequestFromTable(id), IsEmpty());
    }
}

// Only an answer that checks out whole is taken; the value table holds 1999 at 01:00 before each.
TEST_F(FjCodec, ParseResponseTakesOnlyAnswersThatCheckOut) {
    const struct {
        const char* what;
        Packet packet;
        bool accepted;
        uint16_t value0100;
    } cases[] = {
        // clang-format off
        {"bad SOI", {0xEB, 0x91, 0x01, 0x86, 0x01, 0x02, 0x60, 0x60}, false, 1999},
        {"LEN 4 in ten bytes", {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8}, false, 1999},
        {"CRC", {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF0}, false, 1999},
        {"read ack", {0xEB, 0x90, 0x01, 0x06, 0x04, 0x01, 0x00, 0xE7, 0x07, 0xA8, 0xF1}, true, 2023},
        {"ack of 3 bytes", {0xEB, 0x90, 0x01, 0x06, 0x03, 0x01, 0x00, 0x05, 0x4D, 0x18}, false, 1999},
        {"ack off the table", {0xEB, 0x90, 0x01, 0x06, 0x04, 0xCD, 0x00, 0x07, 0x00, 0xFA, 0xC6}, true, 1999},
        {"read error 2", {0xEB, 0x90, 0x01, 0x86, 0x01, 0x02, 0x60, 0x60}, false, 1999},
        {"batch read", {0xEB, 0x90, 0x01, 0x0C, 0x04, 0x01, 0x00, 0x00, 0x00, 0x30, 0xFB}, false, 1999},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Table().Set(0x01, 0x00, 1999);
        EXPECT_EQ(FJ::ParseResponse(c.packet), c.accepted);
        EXPECT_EQ(Table().Get(0x01, 0x00), c.value0100);
        EXPECT_THAT(DirtyKeys(), IsEmpty());
    }
}

}  // namespace
