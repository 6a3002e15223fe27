// The driver against the simulated controller on a pseudo-terminal.
#include <gmock/gmock.h>

#include <gtest/gtest.h>
#include <cstdio>

#include "core/log.h"
#include "core/param_entry.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/ev48400c_driver.h"
#include "serial/serial_port.h"
#include "sim/state_text.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::ElementsAre;

class Ev48400cDriverSim : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    // Starts a simulator and opens the port on it at the family's rate.
    std::unique_ptr<testsupport::SimProcess> Connect(const std::vector<std::string>& options = {}) {
        auto simulator = std::make_unique<testsupport::SimProcess>("EV48-400-C", dir_.Path(), options);
        EXPECT_TRUE(simulator->Ready());
        EXPECT_TRUE(SerialPort::Instance().Open(simulator->PortName(), driver_.GetBaudRate()));
        return simulator;
    }
    static std::map<std::string, sim::Bytes> State(const testsupport::SimProcess& simulator) {
        return sim::BlocksFromText(testsupport::ReadFileBytes(simulator.StatePath())).value();
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
    EV48400C::EV48400C driver_;
};

TEST_F(Ev48400cDriverSim, IdentifyReadsEveryGroup) {
    auto simulator = Connect();
    testsupport::LogCapture log;
    ASSERT_TRUE(driver_.Identify());
    EXPECT_TRUE(prompter_.pauses.empty());
    EXPECT_EQ(ev48test::Shown(EV48400C::kMotorSpeedList, L"motorPeakSpeed"), "5000");
    EXPECT_EQ(ev48test::Shown(EV48400C::kGearSpeedList, L"FWD_GearH_MaxSpeed"), "4500");
    EXPECT_EQ(ev48test::Shown(EV48400C::kLiveDataList, L"voltageDC"), "48.20");
    EXPECT_EQ(ev48test::Shown(EV48400C::kAcceleratorList, L"Accelerator_MaxValue_V"), "4.5");
    EXPECT_EQ(ev48test::Shown(EV48400C::kFaultList, L"12"), "1");
    EXPECT_EQ(ev48test::Shown(EV48400C::kFaultList, L"1"), "0");
    EXPECT_TRUE(EV48400C::isD5Model);
    // Eleven exchanges: the contact request, then the ten reads.
    int sent = 0;
    for (const auto& line : log.Messages()) sent += line.rfind("[TX] 0x57 0x49 0x22 0x30 0x01 ", 0) == 0;
    EXPECT_EQ(sent, 11);
}

TEST_F(Ev48400cDriverSim, WriteAllChangesOnlyWhatWasEdited) {
    auto simulator = Connect();
    ASSERT_TRUE(driver_.Identify());
    const auto before = State(*simulator);
    ASSERT_TRUE(
        ApplyParamValue(EV48400C::List(EV48400C::kGearSpeedList), "Forward High Gear Max Speed", "4000"));
    ASSERT_TRUE(ApplyParamValue(EV48400C::List(EV48400C::kMileageList), "Tire Diameter", "500"));

    EXPECT_TRUE(driver_.WriteAll().AllConfirmed());
    EXPECT_EQ(prompter_.pauses, std::vector<uint32_t>(7, 1000));
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_EQ(ev48test::Shown(EV48400C::kGearSpeedList, L"FWD_GearH_MaxSpeed"), "4000");  // read back

    simulator->Stop();
    auto expected = before;
    expected["57"][0] = 0xA0;  // 4000 = 0x0FA0 at the group's first word
    expected["57"][1] = 0x0F;
    expected["51"][2] = 0xF4;  // 500 = 0x01F4 at the tire diameter word
    expected["51"][3] = 0x01;
    EXPECT_EQ(State(*simulator), expected);
}

TEST_F(Ev48400cDriverSim, GarbledAnswersKeepTheValuesRead) {
    {
        auto clean = Connect();
        ASSERT_TRUE(driver_.Identify());
        SerialPort::Instance().Close();
    }
    testsupport::TempDir other;
    testsupport::SimProcess garbling("EV48-400-C", other.Path(), {"--fault", "garble", "--seed", "3"});
    ASSERT_TRUE(SerialPort::Instance().Open(garbling.PortName(), driver_.GetBaudRate()));
    testsupport::LogCapture log;
    EXPECT_TRUE(driver_.ReadMessage(EV48400C::kMotorParametersId));  // an answer came, even if bad
    EXPECT_TRUE(log.Contains("MotorParameters: Invalid data"));
    EXPECT_EQ(ev48test::Shown(EV48400C::kMotorSpeedList, L"motorPeakSpeed"), "5000");
}

}  // namespace
