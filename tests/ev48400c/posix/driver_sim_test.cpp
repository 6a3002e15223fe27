// The driver on a line where bytes of an earlier answer came too late.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "ev48400c/ev48400c_driver.h"
#include "ev48400c/message_store.h"
#include "serial/serial_port.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"
#include "tests/support/posix/scripted_line.h"

namespace {

using ev48test::MakeFrame;

// Read with the next answer, twenty late bytes would spoil it and the retry; they are thrown away first.
TEST(Ev48400cDriverSim, LateBytesOnTheLineAreThrownAwayFirst) {
    testsupport::ResetFamilies();
    EV48400C::EV48400C driver;
    testsupport::ScriptedLine line;
    ASSERT_TRUE(line.Ok());
    ASSERT_TRUE(SerialPort::Instance().Open(line.Device(), driver.GetBaudRate()));
    const Frame late = MakeFrame(EV48400C::kMileageId, {{6, 0x11}});
    line.Send(Frame(late.begin() + 35, late.end()));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    line.Answer(55, MakeFrame(EV48400C::kMileageId, {{6, 0xC9}, {7, 0x01}}));
    EXPECT_TRUE(driver.ReadMessage(EV48400C::kMileageId));
    line.Join();
    SerialPort::Instance().Close();
    ASSERT_TRUE(EV48400C::Messages().mileage);
    EXPECT_EQ(EV48400C::Messages().mileage->Serialize()[6], 0xC9);
    testsupport::ResetFamilies();
}

}  // namespace
