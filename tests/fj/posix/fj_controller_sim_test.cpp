// The driver against the simulated FJ controller on a pseudo-terminal.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "core/param_entry.h"
#include "fj/fault_records.h"
#include "fj/fj_controller.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "serial/serial_port.h"
#include "sim/fj_sim.h"
#include "sim/state_text.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::ElementsAre;
using testing::HasSubstr;
using Clock = std::chrono::steady_clock;

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

int CountStartingWith(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& l) { return l.rfind(prefix, 0) == 0; }));
}

class FjControllerSim : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    std::unique_ptr<testsupport::SimProcess> Connect(const std::vector<std::string>& options = {}) {
        auto simulator = std::make_unique<testsupport::SimProcess>("FJ", dir_.Path(), options);
        EXPECT_TRUE(simulator->Ready());
        EXPECT_TRUE(SerialPort::Instance().Open(simulator->PortName(), driver_.GetBaudRate()));
        return simulator;
    }
    std::map<std::string, sim::Bytes> State(const testsupport::SimProcess& simulator) {
        return sim::BlocksFromText(testsupport::ReadFileBytes(simulator.StatePath())).value();
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
    FJ::FJController driver_;
};

TEST_F(FjControllerSim, IdentifyReadsEverythingWithItsStatusTexts) {
    auto simulator = Connect();
    fjtest::StatusTexts status;
    testsupport::LogCapture log;
    ASSERT_TRUE(driver_.Identify());
    EXPECT_THAT(status.texts,
                ElementsAre("Reading FJ Tuning Parameters", "Reading FJ Speed Tuning Parameters",
                            "Reading FJ Accellerator Tuning Parameters",
                            "Reading FJ Torque Tuning Parameters", "Reading FJ Hill Tuning Parameters",
                            "Reading FJ Controller Faults", "Reading FJ Controller RT Parameters",
                            "Reading FJ Battery RT Parameters", "Reading FJ Controller Info Parameters",
                            "Reading Controller Kitchen Sink Parameters", "FJ Controller"));
    const auto lines = log.Messages();
    // The contact read, then 3 date reads, 93 entries and 68 fault words.
    EXPECT_EQ(CountStartingWith(lines, "[TX] 0xEB 0x90 0x01 0x06 "), 1 + 164);
    EXPECT_EQ(CountStartingWith(lines, "CIDReadAck "), 1 + 164);
    EXPECT_EQ(CountStartingWith(lines, "Invalid ID format"), 1);
    EXPECT_TRUE(log.Contains("Invalid ID format: "));
    EXPECT_TRUE(prompter_.pauses.empty());

    EXPECT_EQ(fjtest::Shown(L""), "03/15/2023");
    EXPECT_EQ(fjtest::Shown(L"13:3D"), "Sightseeing vehicle");
    EXPECT_EQ(fjtest::Shown(L"01:1B"), "5.0");
    EXPECT_EQ(fjtest::Shown(L"0C:23"), "4500.0");
    EXPECT_EQ(fjtest::Shown(L"0C:30"), "Slide On Slope");
    EXPECT_EQ(FJ::FaultRecords(FJ::FaultTable::Current).size(), 2u);
    const auto historical = FJ::FaultRecords(FJ::FaultTable::Historical);
    ASSERT_EQ(historical.size(), 3u);
    EXPECT_EQ(historical[2].code, 17);
}

// What the simulator starts with must pass the limits the tuning page and the import apply.
TEST_F(FjControllerSim, SimulatorHoldsEveryEntryWithinItsLimits) {
    auto simulator = Connect();
    ASSERT_TRUE(driver_.Identify());
    int checked = 0;
    for (const auto name : fjtest::kAllLists) {
        for (const auto& entry : FJ::List(name)) {
            const auto range = FJ::NumericRange(entry);
            if (!range) continue;
            const auto address = FJ::TryParseId(entry.key);
            const double value = entry.kind == ParamKind::Enumeration
                                     ? FJ::FjValueTable::Instance().Get(address->group, address->index)
                                     : text::ParseLeadingDouble(entry.getter(entry.owner)).value_or(-1e9);
            EXPECT_GE(value, range->low) << text::WideToUtf8(entry.key);
            EXPECT_LE(value, range->high) << text::WideToUtf8(entry.key);
            ++checked;
        }
    }
    EXPECT_EQ(checked, 75);
}

TEST_F(FjControllerSim, EditedValuesReachTheController) {
    auto simulator = Connect();
    ASSERT_TRUE(driver_.Identify());
    ASSERT_TRUE(ApplyParamValue(FJ::List(FJ::kSpeedTuningList), "H Gear - Speed at Partition 1", "1234"));
    ASSERT_TRUE(ApplyParamValue(FJ::List(FJ::kKitchenSinkList), "Accelerator Maximum Voltage", "2500.5"));
    fjtest::StatusTexts status;
    EXPECT_TRUE(driver_.WriteChangedParameters().AllConfirmed());
    EXPECT_THAT(status.texts, ElementsAre("Writing FJ Parameters", "FJ Controller"));
    EXPECT_EQ(prompter_.pauses, (std::vector<uint32_t>{100, 100}));
    EXPECT_TRUE(DirtyKeys().empty());

    simulator->Stop();
    const auto state = State(*simulator);
    EXPECT_EQ(state.at("0F:1C"), (sim::Bytes{0x04, 0xD2}));  // 1234
    EXPECT_EQ(state.at("0C:23"), (sim::Bytes{0x61, 0xAD}));  // 25005
    EXPECT_EQ(state.at("0F:1D"), (sim::Bytes{0x03, 0xE8}));  // untouched
}

TEST_F(FjControllerSim, ReadErrorFailsEachAttemptWithoutTheFullTimeout) {
    std::string state = sim::MakeFjSim()->SaveState();
    const size_t line = state.find("13:3D=");
    ASSERT_NE(line, std::string::npos);
    state.erase(line, state.find('\n', line) + 1 - line);
    testsupport::WriteFileBytes(dir_ / "sim-state.txt", state);
    auto simulator = Connect();

    testsupport::LogCapture log;
    testing::internal::CaptureStderr();
    const auto start = Clock::now();
    EXPECT_FALSE(driver_.Identify());
    const long long elapsedMs = MsSince(start);
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr("Identify() failed after 3 attempts.\n"));
    EXPECT_EQ(CountStartingWith(log.Messages(), "FJ_ERROR_ACK_INVALID_PARAMETER"), 3);
    EXPECT_EQ(prompter_.pauses, (std::vector<uint32_t>{100, 100}));
    EXPECT_LT(elapsedMs, 1000);  // three time-outs would take 1500 ms
    EXPECT_TRUE(FJ::List(FJ::kSpeedTuningList).empty());
}

}  // namespace
