// FJ against a simulated or scripted controller: what Identify reads, what a failed Identify says, and
// what a write acknowledge confirms.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "fj/fault_records.h"
#include "fj/fj_controller.h"
#include "fj/packet_codec.h"
#include "fj/value_table.h"
#include "serial/serial_port.h"
#include "sim/fj_sim.h"
#include "tests/fj/fj_test_support.h"
#include "tests/fj/posix/scripted_line.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

class FjIdentifyAndEcho : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    // A simulated controller without the address (empty: with every address), its port open. A
    // controller without an address answers every read of it with an error.
    std::unique_ptr<testsupport::SimProcess> Connect(const testsupport::TempDir& dir,
                                                     const std::string& without) {
        if (!without.empty()) {
            std::string state = sim::MakeFjSim()->SaveState();
            const size_t line = state.find(without + "=");
            EXPECT_NE(line, std::string::npos);
            state.erase(line, state.find('\n', line) + 1 - line);
            testsupport::WriteFileBytes(dir / "sim-state.txt", state);
        }
        auto simulator = std::make_unique<testsupport::SimProcess>("FJ", dir.Path());
        EXPECT_TRUE(SerialPort::Instance().Open(simulator->PortName(), driver_.GetBaudRate()));
        return simulator;
    }

    testsupport::FakePrompter prompter_;
    FJ::FJController driver_;
};

TEST_F(FjIdentifyAndEcho, IdentifyReadsTheFirmwareDateAndTheFaultRecords) {
    testsupport::TempDir dir;
    auto simulator = Connect(dir, "");
    ASSERT_TRUE(driver_.Identify());
    EXPECT_EQ(fjtest::Shown(L""), "03/15/2023");
    EXPECT_EQ(fjtest::Shown(L"0C:30"), "Slide On Slope");
    EXPECT_EQ(FJ::FaultRecords(FJ::FaultTable::Current).size(), 2u);
    const auto historical = FJ::FaultRecords(FJ::FaultTable::Historical);
    ASSERT_EQ(historical.size(), 3u);
    EXPECT_EQ(historical[2].code, 17);
}

// An error answer ends the attempt at once, where a time-out would take 500 ms.
TEST_F(FjIdentifyAndEcho, ContactReadRefusedFailsEachAttemptAtOnceAndShowsNothing) {
    testsupport::TempDir dir;
    auto simulator = Connect(dir, "13:3D");
    testing::internal::CaptureStderr();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(driver_.Identify());
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_THAT(testing::internal::GetCapturedStderr(), testing::HasSubstr("failed after 3 attempts"));
    EXPECT_EQ(prompter_.pauses, (std::vector<uint32_t>{100, 100}));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1000));
    EXPECT_TRUE(FJ::List(FJ::kSpeedTuningList).empty());
}

TEST_F(FjIdentifyAndEcho, FailedIdentifyNamesTheReadThatFailed) {
    const struct {
        const char* address;
        const char* status;
    } cases[] = {
        {"01:01", "FJ: could not read firmware date (01:01)"},
        {"0E:20", "FJ: could not read historical fault record (0E:20)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address);
        testsupport::TempDir dir;
        auto simulator = Connect(dir, c.address);
        EXPECT_FALSE(driver_.Identify());
        EXPECT_EQ(text::WideToUtf8(GetStatus()), c.status);
        SerialPort::Instance().Close();
    }
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
