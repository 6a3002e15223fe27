// The driver through the Win32 port, against vantrel-sim mapped as a COM port under Wine.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/param_entry.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/ev48400c_driver.h"
#include "serial/serial_port.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/fake_prompter.h"

namespace {

TEST(Ev48400cDriverCom, IdentifiesWritesAndReadsBack) {
    const char* port = std::getenv("VANTREL_TEST_COM_PORT");
    ASSERT_NE(port, nullptr) << "run through wine_sim_test.sh";
    ev48test::ResetFamily();
    testsupport::FakePrompter prompter;
    EV48400C::EV48400C driver;
    ASSERT_TRUE(SerialPort::Instance().Open(port, driver.GetBaudRate()));
    ASSERT_TRUE(driver.Identify());
    EXPECT_EQ(ev48test::Shown(EV48400C::kMotorSpeedList, L"motorPeakSpeed"), "5000");
    ASSERT_TRUE(ApplyParamValue(EV48400C::List(EV48400C::kGearSpeedList), "Reverse Max Speed", "1800"));
    EXPECT_TRUE(driver.WriteAll());
    EXPECT_EQ(ev48test::Shown(EV48400C::kGearSpeedList, L"BKD_MaxSpeed"), "1800");
    SerialPort::Instance().Close();
}

}  // namespace
