// The register blocks' entries: values shown from the register map and edits stored back into it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/param_entry.h"
#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/get_info.h"
#include "tercel/motor.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/tercel/test_support.h"

namespace {

using terceltest::Shown;
using testing::ElementsAre;

class TercelBlocks : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        config_.BuildParamEntries();
        driveInfo_.BuildParamEntries();
        speedControl_.BuildParamEntries();
        vehicle_.BuildParamEntries();
    }
    void TearDown() override { testsupport::ResetFamilies(); }

    static uint16_t& Reg(uint16_t address) { return Tercel::Registers()[address]; }
    // A current scale of 10 counts an ampere and a 450 A unit: 32767 counts are 450 A.
    static void SetCurrentScale() {
        Reg(4) = 10;
        Reg(26) = 4500;
    }

    Tercel::Config config_;
    Tercel::DriveInfo driveInfo_;
    Tercel::SpeedControl speedControl_;
    Tercel::Vehicle vehicle_;
};

TEST_F(TercelBlocks, TenthsShowOneDecimalAndStoreInSinglePrecision) {
    Reg(2754) = 255;
    EXPECT_EQ(Shown(Tercel::kSpeedLimitList, L"2754"), "25.5");
    struct Case {
        const char* text;
        uint16_t stored;
    };
    // 25.3 is 25.2999992 as a float; its float product is 253, a double product would truncate to 252.
    const Case cases[] = {{"25.5", 255}, {"25.3", 253}, {"0", 0}, {"100.0", 1000}, {"7.25", 72}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        terceltest::Set(Tercel::kSpeedLimitList, L"2754", c.text);
        EXPECT_EQ(Reg(2754), c.stored);
    }
}

TEST_F(TercelBlocks, ThousandthsKeepTheirDecimals) {
    Reg(2604) = 2500;
    Reg(2434) = 460;
    EXPECT_EQ(Shown(Tercel::kAccelerationMode1List, L"2604"), "2.5");
    EXPECT_EQ(Shown(Tercel::kVehicleList, L"2434"), "0.46");
    terceltest::Set(Tercel::kVehicleList, L"2434", "0.455");
    EXPECT_EQ(Reg(2434), 455);
    terceltest::Set(Tercel::kAccelerationMode0List, L"2616", "30.0");
    EXPECT_EQ(Reg(2616), 30000);
    terceltest::Set(Tercel::kVehicleList, L"2432", "10.3");
    EXPECT_EQ(Reg(2432), 103);
}

TEST_F(TercelBlocks, SettersRefuseWhatNoRegisterCanHold) {
    struct Case {
        std::string_view list;
        const wchar_t* key;
        const char* text;
    };
    const Case notNumbers[] = {
        {Tercel::kSpeedLimitList, L"2878", "fast"},
        {Tercel::kSpeedLimitList, L"2754", ""},
        {Tercel::kVehicleList, L"2434", "x1"},
    };
    for (const auto& c : notNumbers) {
        SCOPED_TRACE(c.text);
        EXPECT_THROW(terceltest::Set(c.list, c.key, c.text), std::invalid_argument);
    }
    // 70000 would reach the controller as 4464, 6553.6 km/h as 0.
    EXPECT_THROW(terceltest::Set(Tercel::kSpeedLimitList, L"2878", "70000"), std::out_of_range);
    EXPECT_THROW(terceltest::Set(Tercel::kSpeedLimitList, L"2754", "6553.6"), std::out_of_range);
    EXPECT_THROW(terceltest::Set(Tercel::kSpeedLimitList, L"2754", "-1"), std::out_of_range);
    EXPECT_THROW(terceltest::Set(Tercel::kSpeedLimitList, L"2754", "1e39"), std::out_of_range);
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_EQ(Reg(2878), 0);
    EXPECT_EQ(Reg(2754), 0);
}

TEST_F(TercelBlocks, RatiosDivideByTheirScale) {
    Reg(2) = 10;
    Reg(6) = 1005;
    Reg(4) = 8;
    Reg(26) = 3600;
    EXPECT_EQ(Shown(Tercel::kConfigList, L"6"), "100");
    EXPECT_EQ(Shown(Tercel::kConfigList, L"26"), "450");
    EXPECT_EQ(Shown(Tercel::kConfigList, L"2"), "10");
    Reg(2) = 0;  // not read yet: nothing to show rather than a division by zero
    EXPECT_EQ(Shown(Tercel::kConfigList, L"6"), "");
}

TEST_F(TercelBlocks, AmpsFollowTheCurrentScale) {
    SetCurrentScale();
    Reg(3140) = 29127;  // 29127 x 4500 / 32767 / 10 = 400.01
    Reg(3142) = 32767;
    EXPECT_EQ(Shown(Tercel::kCurrentLimitList, L"3140"), "400.0");
    EXPECT_EQ(Shown(Tercel::kCurrentLimitList, L"3142"), "450.0");
    terceltest::Set(Tercel::kCurrentLimitList, L"3144", "400");  // 400 / 0.0137333 = 29126.3
    EXPECT_EQ(Reg(3144), 29126);
    EXPECT_EQ(terceltest::Entry(Tercel::kCurrentLimitList, L"3142").kind, ParamKind::Float);
    EXPECT_EQ(terceltest::Entry(Tercel::kCurrentLimitList, L"3140").kind, ParamKind::UInt16);
}

TEST_F(TercelBlocks, AmpsWithoutAScaleShowNothingAndRefuseEdits) {
    for (const auto& [scale, maxCurrent] : {std::pair<uint16_t, uint16_t>{0, 4500}, {10, 0}}) {
        SCOPED_TRACE(scale);
        Reg(4) = scale;
        Reg(26) = maxCurrent;
        Reg(3146) = 1000;
        EXPECT_EQ(Shown(Tercel::kCurrentLimitList, L"3146"), "");
        EXPECT_THROW(terceltest::Set(Tercel::kCurrentLimitList, L"3146", "100"), std::out_of_range);
        EXPECT_EQ(Reg(3146), 1000);
    }
    // A 100 A unit at 10 counts an ampere: 450 A would be 1474515 counts.
    Reg(4) = 10;
    Reg(26) = 100;
    EXPECT_THROW(terceltest::Set(Tercel::kCurrentLimitList, L"3146", "450"), std::out_of_range);
    EXPECT_EQ(Reg(3146), 1000);
}

TEST_F(TercelBlocks, MappedValuesNameTheirCodes) {
    struct Case {
        std::string_view list;
        const wchar_t* key;
        uint16_t value;
        const char* shown;
    };
    const Case cases[] = {
        {Tercel::kConfigList, L"138", 0, "Unknown"},
        {Tercel::kConfigList, L"138", 2, "RSLV Resolver Encoder"},
        {Tercel::kConfigList, L"138", 4, "Unknown"},
        {Tercel::kDriveInfoList, L"132", 1, "PMSM: Permanent Magnet Synchronous"},
        {Tercel::kDriveInfoList, L"132", 3, "Unknown"},
        {Tercel::kVehicleList, L"3362", 7, "Unknown"},
        {Tercel::kVehicleList, L"3362", 12, "1M"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.shown);
        const auto address = static_cast<uint16_t>(std::stoi(c.key));
        Reg(address) = c.value;
        EXPECT_EQ(Shown(c.list, c.key), c.shown);
    }
}

TEST_F(TercelBlocks, MotorSpeedsAreLimitedByTheMotorMaximum) {
    Reg(2878) = 6500;
    const auto& forward = terceltest::Entry(Tercel::kMotorSpeedList, L"2586");
    EXPECT_EQ(forward.maxValue(forward.owner), L"6500");
    ASSERT_TRUE(
        ApplyParamValue(Tercel::List(Tercel::kSpeedLimitList), "2.01.09 : Motor Maximum RPM", "6000"));
    EXPECT_EQ(forward.maxValue(forward.owner), L"6000");
    const auto& highPoint = terceltest::Entry(Tercel::kAccelerationMode1List, L"2596");
    EXPECT_EQ(highPoint.maxValue(highPoint.owner), L"6000");
    EXPECT_FALSE(ApplyParamValue(Tercel::List(Tercel::kMotorSpeedList), "Base Speed 5 RPM", "6001"));
    EXPECT_TRUE(ApplyParamValue(Tercel::List(Tercel::kMotorSpeedList), "Base Speed 5 RPM", "6000"));
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2878", L"3138"}));
}

TEST_F(TercelBlocks, SpeedResponseModeChoosesTheAccelerationList) {
    EXPECT_EQ(Tercel::List(Tercel::kAccelerationMode0List).size(), 3u);
    EXPECT_EQ(Tercel::List(Tercel::kAccelerationMode1List).size(), 9u);
    Reg(2594) = 0;
    EXPECT_EQ(Tercel::ShownAccelerationList(), &Tercel::List(Tercel::kAccelerationMode0List));
    Reg(2594) = 1;
    EXPECT_EQ(Tercel::ShownAccelerationList(), &Tercel::List(Tercel::kAccelerationMode1List));
    Reg(2594) = 2;
    EXPECT_EQ(Tercel::ShownAccelerationList(), nullptr);
}

TEST_F(TercelBlocks, ParseRepublishesAndRefusesWithTheBlockName) {
    testsupport::LogCapture log;
    Tercel::Motor motor;
    Tercel::List(Tercel::kMotorList).push_back(ParamEntry{});
    EXPECT_TRUE(motor.Parse({0x2B, 0x00, 0x00, 0x00, 0x00}));
    EXPECT_TRUE(Tercel::List(Tercel::kMotorList).empty());
    EXPECT_FALSE(vehicle_.Parse({0x2B, 0x80, 0x00, 0x00, 0x00}));
    EXPECT_THAT(log.Messages(), ElementsAre("Error: status = 80", "Vehicle: Invalid data"));
}

TEST(TercelIdentity, DecodesTheThirtyNineByteAnswer) {
    testsupport::ResetFamilies();
    Tercel::GetInfo identity;
    auto frame = terceltest::IdentityFrame("");
    for (size_t i = 13; i < 38; ++i) frame[i] = static_cast<uint8_t>('A' + (i - 13) % 26);  // no terminator
    ASSERT_TRUE(identity.Parse(frame));
    EXPECT_EQ(identity.Describe(),
              "Protocol Version Number=3\n"
              "Firmware Version=2.7\n"
              "Description=ABCDEFGHIJKLMNOPQRSTUVWX\n");  // cut at 24 characters
    EXPECT_EQ(identity.GetId(), 0xC0);
    EXPECT_EQ(identity.Serialize(), (std::vector<uint8_t>{0x2B, 0x00}));
    EXPECT_EQ(terceltest::Entry(Tercel::kIdentityList, L"protVer").kind, ParamKind::UInt8);
    testsupport::ResetFamilies();
}

TEST(TercelIdentity, RefusesAShortFrameThatPassesTheCheck) {
    testsupport::ResetFamilies();
    testsupport::LogCapture log;
    Tercel::GetInfo identity;
    EXPECT_FALSE(identity.Parse({0x2B, 0x00, 0x03, 0x00, 0x00, 0x02}));
    EXPECT_THAT(log.Messages(), ElementsAre("GetInfo: Invalid data"));
    EXPECT_TRUE(Tercel::List(Tercel::kIdentityList).empty());
}

}  // namespace
