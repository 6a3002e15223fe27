// The driver through the Win32 port, against vantrel-sim mapped as a COM port under Wine.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/param_entry.h"
#include "core/param_registry.h"
#include "serial/serial_port.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/tercel_controller.h"
#include "tests/support/fake_prompter.h"
#include "tests/tercel/test_support.h"

namespace {

TEST(TercelDriverCom, IdentifiesWritesAndReadsBack) {
    const char* port = std::getenv("VANTREL_TEST_COM_PORT");
    ASSERT_NE(port, nullptr) << "run through wine_sim_test.sh";
    terceltest::ResetAll();
    testsupport::FakePrompter prompter;
    Tercel::TercelController driver;
    ASSERT_TRUE(SerialPort::Instance().Open(port, driver.GetBaudRate()));
    ASSERT_TRUE(driver.Identify());
    EXPECT_EQ(terceltest::Shown(Tercel::kIdentityList, L"desc"), "TERCEL SIM 48V 450A");
    EXPECT_EQ(terceltest::Shown(Tercel::kDriveInfoList, L"122"), "33042");
    EXPECT_EQ(terceltest::Shown(Tercel::kSpeedLimitList, L"2754"), "25.5");

    ASSERT_TRUE(ApplyParamValue(Tercel::List(Tercel::kSpeedLimitList),
                                "3.02.01 : High Speed - Forward Max KM/H", "25.3"));
    EXPECT_TRUE(driver.WriteDirtyRegisters());
    EXPECT_TRUE(DirtyKeys().empty());
    Tercel::Registers()[2754] = 0;  // what the controller holds must come back by the read
    EXPECT_TRUE(driver.ReadAll());
    EXPECT_EQ(terceltest::Shown(Tercel::kSpeedLimitList, L"2754"), "25.3");
    SerialPort::Instance().Close();
    terceltest::ResetAll();
}

}  // namespace
