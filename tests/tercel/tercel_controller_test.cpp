// The driver's work that needs no controller: the after-edit rule, the write loop, the backup records.
#include "tercel/tercel_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "serial/serial_port.h"
#include "tercel/command_codec.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/tercel/test_support.h"

namespace {

using testing::ElementsAre;

class TercelControllerTest : public testsupport::FreshFamilies {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        SerialPort::Instance().Close();
        speedControl_.BuildParamEntries();
        vehicle_.BuildParamEntries();
    }

    static uint16_t& Reg(uint16_t address) { return Tercel::Registers()[address]; }

    // The records replayed as a load replays a checked backup's frames.
    static void Replay(const std::vector<std::string>& records) {
        for (const auto& record : records) EXPECT_TRUE(Tercel::HandleFrame(FromHex(DecryptPayload(record))));
    }

    testsupport::FakePrompter prompter_;
    Tercel::SpeedControl speedControl_;
    Tercel::Vehicle vehicle_;
    Tercel::TercelController driver_;
};

TEST_F(TercelControllerTest, LoweredMotorMaximumClampsTheForwardSpeedAndMarksIt) {
    Reg(2586) = 5200;
    Reg(2878) = 4000;
    EXPECT_FALSE(driver_.OnParamEdited(L"2586"));  // only the motor maximum limits another register
    EXPECT_EQ(Reg(2586), 5200);
    EXPECT_TRUE(driver_.OnParamEdited(L"2878"));
    EXPECT_EQ(Reg(2586), 4000);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2586"}));

    Reg(2878) = 6000;
    EXPECT_TRUE(driver_.OnParamEdited(L"2878"));  // raising the maximum moves nothing
    EXPECT_EQ(Reg(2586), 4000);
}

// Speeds not read yet are not shown, and a rule must not change and mark what nobody has seen.
TEST_F(TercelControllerTest, TheRuleWaitsForTheSpeedsToBeShown) {
    Tercel::List(Tercel::kMotorSpeedList).clear();
    Reg(2586) = 5200;
    Reg(2878) = 4000;
    EXPECT_TRUE(driver_.OnParamEdited(L"2878"));
    EXPECT_EQ(Reg(2586), 5200);
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(TercelControllerTest, WriteSkipsKeysOfOtherFamiliesAndKeepsWhatWasNotConfirmed) {
    Reg(2878) = 300;
    DirtyKeys() = {L"13:10", L"0D:1F", L"motorPeakSpeed", L"70000", L"2878", L""};
    testsupport::LogCapture log;
    // The port is closed: nothing is acknowledged.
    EXPECT_TRUE(driver_.WriteDirtyRegisters().confirmed.empty());
    std::vector<std::string> sent;
    for (const auto& line : log.Messages())
        if (line.rfind("[TX] ", 0) == 0) sent.push_back(line);
    EXPECT_THAT(sent, ElementsAre("[TX] 0x2B 0x05 0x07 0x02 0x3E 0x0B 0x00 0x00 0x2C 0x01 0x7C "));
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"13:10", L"0D:1F", L"motorPeakSpeed", L"70000", L"2878", L""}));
}

TEST_F(TercelControllerTest, BackupRecordsAreWritesAndImportMarksOnlyWhatChanged) {
    Reg(2878) = 6500;
    Reg(2754) = 255;
    Reg(2594) = 0;
    const auto records = driver_.ExportRecords(terceltest::TuningPageLists());
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(DecryptPayload(records[0]), "2B0507023E0B000064192C");  // 2878 = 0x0B3E holding 6500
    Replay(records);
    EXPECT_TRUE(DirtyKeys().empty());

    Reg(2878) = 5000;
    Reg(2754) = 100;
    Replay(records);
    EXPECT_EQ(Reg(2878), 6500);
    EXPECT_EQ(Reg(2754), 255);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2754", L"2878"}));
}

}  // namespace
