// The driver through the Win32 port, against vantrel-sim mapped as a COM port under Wine.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/param_entry.h"
#include "fj/fj_controller.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "serial/serial_port.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/fake_prompter.h"

namespace {

TEST(FjControllerCom, IdentifiesWritesAndReadsBack) {
    const char* port = std::getenv("VANTREL_TEST_COM_PORT");
    ASSERT_NE(port, nullptr) << "run through wine_sim_test.sh";
    fjtest::ResetFamily();
    testsupport::FakePrompter prompter;
    FJ::FJController driver;
    ASSERT_TRUE(SerialPort::Instance().Open(port, driver.GetBaudRate()));
    ASSERT_TRUE(driver.Identify());
    EXPECT_EQ(fjtest::Shown(L""), "03/15/2023");
    EXPECT_EQ(fjtest::Shown(L"0D:1F"), "4500");

    ASSERT_TRUE(ApplyParamValue(FJ::List(FJ::kSpeedTuningList), "H Gear - Forward Maximum Speed", "4321"));
    EXPECT_TRUE(driver.WriteChangedParameters());
    // Forget the value here, then ask the controller for it.
    FJ::FjValueTable::Instance().Set(0x0D, 0x1F, 0);
    ASSERT_TRUE(driver.ReadParameter(0x0D, 0x1F));
    EXPECT_EQ(fjtest::Shown(L"0D:1F"), "4321");
    SerialPort::Instance().Close();
    fjtest::ResetFamily();
}

}  // namespace
