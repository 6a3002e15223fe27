// The driver on a line: late bytes of an earlier answer, and a controller whose answers arrive garbled.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ev48400c/entry_lists.h"
#include "ev48400c/ev48400c_driver.h"
#include "ev48400c/message_store.h"
#include "serial/serial_port.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/fj/posix/scripted_line.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using ev48test::MakeFrame;

class Ev48400cDriverSim : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    testsupport::FakePrompter prompter_;
    EV48400C::EV48400C driver_;
};

// Twenty bytes of an answer that came too late wait on the line; read with the next answer they would
// spoil it and the one after.
TEST_F(Ev48400cDriverSim, LateBytesOnTheLineAreThrownAwayFirst) {
    testsupport::ScriptedLine line;
    ASSERT_TRUE(line.Ok());
    ASSERT_TRUE(SerialPort::Instance().Open(line.Device(), driver_.GetBaudRate()));
    const Frame late = MakeFrame(EV48400C::kMileageId, {{6, 0x11}});
    line.Send(Frame(late.begin() + 35, late.end()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    line.Answer(55, MakeFrame(EV48400C::kMileageId, {{6, 0xC9}, {7, 0x01}}));
    testsupport::LogCapture log;
    EXPECT_TRUE(driver_.ReadMessage(EV48400C::kMileageId));
    line.Join();
    ASSERT_TRUE(EV48400C::Messages().mileage);
    EXPECT_EQ(EV48400C::Messages().mileage->Serialize()[6], 0xC9);
    size_t requests = 0;
    for (const auto& l : log.Messages()) requests += l.rfind("[TX] ", 0) == 0;
    EXPECT_EQ(requests, 1u);
}

TEST_F(Ev48400cDriverSim, GarbledAnswersKeepTheValuesRead) {
    {
        testsupport::TempDir dir;
        testsupport::SimProcess clean("EV48-400-C", dir.Path());
        ASSERT_TRUE(SerialPort::Instance().Open(clean.PortName(), driver_.GetBaudRate()));
        ASSERT_TRUE(driver_.Identify());
        SerialPort::Instance().Close();
    }
    testsupport::TempDir dir;
    testsupport::SimProcess garbling("EV48-400-C", dir.Path(), {"--fault", "garble", "--seed", "3"});
    ASSERT_TRUE(SerialPort::Instance().Open(garbling.PortName(), driver_.GetBaudRate()));
    testsupport::LogCapture log;
    EXPECT_TRUE(driver_.ReadMessage(EV48400C::kMotorParametersId));  // an answer came, even if bad
    EXPECT_TRUE(log.Contains("MotorParameters: Invalid data"));
    EXPECT_EQ(ev48test::Shown(EV48400C::kMotorSpeedList, L"motorPeakSpeed"), "5000");
}

}  // namespace
