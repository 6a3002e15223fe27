// The Tercel raw frame page's commands: typed commands checked, the checksum fix, and an identity answer
// that is decoded only after an identity request was parsed.
#include "tercel/raw_frame.h"

#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "tercel/get_info.h"
#include "tests/support/families.h"
#include "tests/tercel/test_support.h"

namespace {

class TercelRawFrame : public testsupport::FreshFamilies {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        Tercel::SetLastTransmittedCommand(0);
    }
};

// The command parsed is remembered for the answer; a refused text leaves the one before (0x77).
TEST_F(TercelRawFrame, ParsesTypedCommands) {
    const struct {
        const char* what;
        const char* text;
        std::optional<std::string> result;
        std::optional<std::string> status;
        uint8_t lastCommand;
    } cases[] = {
        {"read, as the page starts", "2B 04 05 02 FF 00 00 00 F6", "MCB_CMD_READMEMEX\r\n\r\n", "", 0x04},
        {"identity request", "2b c0 40", "MCB_CMD_GETINFO\r\n\r\n", "", 0xC0},
        {"write is not offered", "2B 05 07 02 3E 0B 00 00 2C 01 7C", "Invalid CMD", "", 0x00},
        {"checksum one off", "2B 04 05 02 FF 00 00 00 F7", "Invalid Checksum", std::nullopt, 0x77},
        {"wrong SOM", "2A 04 05 02 FF 00 00 00 F6", "Invalid Frame", std::nullopt, 0x77},
        {"not hex", "2B XY", "Invalid Frame", "Invalid Frame: Hex string contains invalid characters.", 0x77},
        {"empty", "", std::nullopt, std::nullopt, 0x77},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Tercel::SetLastTransmittedCommand(0x77);
        const auto outcome = Tercel::ParseTxFrame(c.text);
        EXPECT_EQ(outcome.result, c.result);
        EXPECT_EQ(outcome.status, c.status);
        EXPECT_EQ(Tercel::LastTransmittedCommand(), c.lastCommand);
    }
}

TEST_F(TercelRawFrame, WritesTheChecksumIntoTypedText) {
    // 0x04 + 0x05 + 0x02 + 0x3E + 0x0B = 0x54, negated
    EXPECT_EQ(Tercel::FixChecksum("2B 04 05 02 3E 0B 00 00 F6"), "2B 04 05 02 3E 0B 00 00 AC");
    EXPECT_FALSE(Tercel::FixChecksum(""));
    EXPECT_FALSE(Tercel::FixChecksum("2B 0"));
}

TEST_F(TercelRawFrame, IdentityAnswerIsDecodedOnlyAfterAnIdentityRequest) {
    const std::string answer = ToSpacedHex(terceltest::IdentityFrame("Tercel 48V"));
    EXPECT_EQ(Tercel::ParseRxFrame(answer).result, "");  // nothing sent yet
    EXPECT_FALSE(Tercel::Objects().identity);

    Tercel::ParseTxFrame("2B C0 40");
    EXPECT_EQ(Tercel::ParseRxFrame(answer).result,
              "MCB_CMD_GETINFO\nProtocol Version Number=3\nFirmware Version=2.7\nDescription=Tercel 48V\n");
    EXPECT_EQ(Tercel::Objects().identity->Description(), "Tercel 48V");

    // An identity after "Invalid CMD" forgot the request leaves the one taken.
    Tercel::ParseTxFrame("2B 05 00 FB");
    EXPECT_EQ(Tercel::ParseRxFrame(ToSpacedHex(terceltest::IdentityFrame("Other"))).result, "");
    EXPECT_EQ(Tercel::Objects().identity->Description(), "Tercel 48V");
}

}  // namespace
