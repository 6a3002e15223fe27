// FJ against a simulated or scripted controller: what Identify reads and what a write acknowledge confirms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/param_registry.h"
#include "fj/fault_records.h"
#include "fj/fj_controller.h"
#include "fj/packet_codec.h"
#include "fj/value_table.h"
#include "serial/serial_port.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/posix/scripted_line.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

class FjIdentifyAndEcho : public testsupport::FreshFamilies {
protected:
    void TearDown() override {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    testsupport::FakePrompter prompter_;
    FJ::FJController driver_;
};

TEST_F(FjIdentifyAndEcho, IdentifyReadsTheFirmwareDateAndTheFaultRecords) {
    testsupport::TempDir dir;
    testsupport::SimProcess simulator("FJ", dir.Path());
    ASSERT_TRUE(SerialPort::Instance().Open(simulator.PortName(), driver_.GetBaudRate()));
    ASSERT_TRUE(driver_.Identify());
    EXPECT_EQ(fjtest::Shown(L""), "03/15/2023");
    EXPECT_EQ(fjtest::Shown(L"0C:30"), "Slide On Slope");
    EXPECT_EQ(FJ::FaultRecords(FJ::FaultTable::Current).size(), 2u);
    const auto historical = FJ::FaultRecords(FJ::FaultTable::Historical);
    ASSERT_EQ(historical.size(), 3u);
    EXPECT_EQ(historical[2].code, 17);
}

// Only the echo of the value sent confirms a write; an echo of another value is the controller's value.
TEST_F(FjIdentifyAndEcho, WriteIsConfirmedOnlyByTheEchoOfTheValueSent) {
    std::vector<uint8_t> refusal = {0xEB, 0x90, 0x01, 0x87, 0x01, 0x06};
    const uint16_t crc = FJ::ComputeCrc16(refusal.data() + 2, refusal.size() - 2);
    refusal.push_back(static_cast<uint8_t>(crc >> 8));
    refusal.push_back(static_cast<uint8_t>(crc & 0xFF));
    const struct {
        const char* what;
        std::vector<uint8_t> answer;
        bool confirmed;
        uint16_t value;  // in the table afterwards
        bool read;       // marked as the controller's
    } cases[] = {
        {"echo of the value sent", FJ::BuildWriteRequest(0x0F, 0x1C, 7000), true, 7000, true},
        {"echo of a clamped value", FJ::BuildWriteRequest(0x0F, 0x1C, 6000), false, 6000, true},
        {"write refused", refusal, false, 7000, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ResetFamilies();
        auto& table = FJ::FjValueTable::Instance();
        table.Set(0x0F, 0x1C, 7000);
        DirtyKeys() = {L"0F:1C"};
        testsupport::ScriptedLine line;
        ASSERT_TRUE(line.Ok());
        ASSERT_TRUE(SerialPort::Instance().Open(line.Device(), driver_.GetBaudRate()));
        line.Answer(FJ::kRequestLength, c.answer);

        const WriteOutcome outcome = driver_.WriteChangedParameters();
        line.Join();
        SerialPort::Instance().Close();

        EXPECT_EQ(outcome.confirmed.size(), c.confirmed ? 1u : 0u);
        EXPECT_EQ(outcome.notConfirmed.size(), c.confirmed ? 0u : 1u);
        EXPECT_EQ(DirtyKeys().empty(), c.confirmed);
        EXPECT_EQ(table.Get(0x0F, 0x1C), c.value);
        EXPECT_EQ(table.WasRead(0x0F, 0x1C), c.read);
    }
}

}  // namespace
