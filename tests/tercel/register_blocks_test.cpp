// The register blocks' entries: values shown from the register map and edits stored back into it.
#include <gtest/gtest.h>

#include "core/param_entry.h"
#include "tercel/config.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"
#include "tests/support/families.h"
#include "tests/tercel/test_support.h"

namespace {

using terceltest::Set;
using terceltest::Shown;

class TercelBlocks : public testsupport::FreshFamilies {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        config_.BuildParamEntries();
        speedControl_.BuildParamEntries();
        vehicle_.BuildParamEntries();
        // A current scale of 10 counts an ampere and a 450 A unit: 32767 counts are 450 A.
        Reg(4) = 10;
        Reg(26) = 4500;
    }

    static uint16_t& Reg(uint16_t address) { return Tercel::Registers()[address]; }

    Tercel::Config config_;
    Tercel::SpeedControl speedControl_;
    Tercel::Vehicle vehicle_;
};

TEST_F(TercelBlocks, ShowsRegistersByTheirScaleAndNames) {
    Reg(2) = 10;
    const struct {
        std::string_view list;
        const wchar_t* key;
        uint16_t raw;
        const char* shown;
    } cases[] = {
        {Tercel::kSpeedLimitList, L"2754", 255, "25.5"},
        {Tercel::kAccelerationMode1List, L"2604", 2500, "2.5"},
        {Tercel::kVehicleList, L"2434", 460, "0.46"},
        {Tercel::kConfigList, L"6", 1005, "100"},              // divided by register 2
        {Tercel::kConfigList, L"26", 4500, "450"},             // divided by register 4
        {Tercel::kCurrentLimitList, L"3140", 29127, "400.0"},  // 29127 x 4500 / 32767 / 10 = 400.01
        {Tercel::kConfigList, L"138", 0, "Unknown"},
        {Tercel::kConfigList, L"138", 2, "RSLV Resolver Encoder"},
        {Tercel::kVehicleList, L"3362", 12, "1M"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.key) + " = " + std::to_string(c.raw));
        Reg(static_cast<uint16_t>(std::stoi(c.key))) = c.raw;
        EXPECT_EQ(Shown(c.list, c.key), c.shown);
    }
}

TEST_F(TercelBlocks, EditsAreStoredByTheirScaleInSinglePrecision) {
    const struct {
        std::string_view list;
        const wchar_t* key;
        const char* typed;
        uint16_t stored;
    } cases[] = {
        {Tercel::kSpeedLimitList, L"2754", "25.5", 255},
        // 25.3 is 25.2999992 as a float; its float product is 253, a double product would truncate to 252.
        {Tercel::kSpeedLimitList, L"2754", "25.3", 253},
        {Tercel::kSpeedLimitList, L"2754", "7.25", 72},
        {Tercel::kVehicleList, L"2434", "0.455", 455},
        {Tercel::kAccelerationMode0List, L"2616", "30.0", 30000},
        {Tercel::kCurrentLimitList, L"3144", "400", 29126},  // 400 / 0.0137333 = 29126.3
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.typed) + " for " + text::WideToUtf8(c.key));
        Set(c.list, c.key, c.typed);
        EXPECT_EQ(Reg(static_cast<uint16_t>(std::stoi(c.key))), c.stored);
    }
}

TEST_F(TercelBlocks, SettersRefuseWhatNoRegisterCanHold) {
    const struct {
        std::string_view list;
        const wchar_t* key;
        const char* typed;
    } cases[] = {
        {Tercel::kSpeedLimitList, L"2878", "fast"},   {Tercel::kSpeedLimitList, L"2754", ""},
        {Tercel::kSpeedLimitList, L"2878", "70000"},   // would reach the controller as 4464
        {Tercel::kSpeedLimitList, L"2754", "6553.6"},  // would reach it as 0
        {Tercel::kSpeedLimitList, L"2754", "-1"},     {Tercel::kSpeedLimitList, L"2754", "1e39"},
    };
    for (const auto& c : cases) EXPECT_ANY_THROW(Set(c.list, c.key, c.typed)) << c.typed;
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_EQ(Reg(2878), 0);
    EXPECT_EQ(Reg(2754), 0);
    EXPECT_EQ(Reg(2434), 0);
}

// A scale not read yet gives nothing to show rather than a division by zero, and takes no edit.
TEST_F(TercelBlocks, WithoutTheirScaleValuesShowNothingAndTakeNoEdit) {
    Reg(2) = 0;
    EXPECT_EQ(Shown(Tercel::kConfigList, L"6"), "");
    for (const auto& [scale, maxCurrent] : {std::pair<uint16_t, uint16_t>{0, 4500}, {10, 0}}) {
        SCOPED_TRACE(scale);
        Reg(4) = scale;
        Reg(26) = maxCurrent;
        Reg(3146) = 1000;
        EXPECT_EQ(Shown(Tercel::kCurrentLimitList, L"3146"), "");
        EXPECT_ANY_THROW(Set(Tercel::kCurrentLimitList, L"3146", "100"));
        EXPECT_EQ(Reg(3146), 1000);
    }
    // A 100 A unit at 10 counts an ampere: 450 A would be 1474515 counts.
    Reg(4) = 10;
    Reg(26) = 100;
    EXPECT_ANY_THROW(Set(Tercel::kCurrentLimitList, L"3146", "450"));
    EXPECT_EQ(Reg(3146), 1000);
}

TEST_F(TercelBlocks, MotorSpeedsAreLimitedByTheMotorMaximum) {
    Reg(2878) = 6500;
    const auto& forward = terceltest::Entry(Tercel::kMotorSpeedList, L"2586");
    EXPECT_EQ(forward.maxValue(forward.owner), L"6500");
    ASSERT_TRUE(
        ApplyParamValue(Tercel::List(Tercel::kSpeedLimitList), "2.01.09 : Motor Maximum RPM", "6000"));
    EXPECT_EQ(forward.maxValue(forward.owner), L"6000");
    EXPECT_FALSE(ApplyParamValue(Tercel::List(Tercel::kMotorSpeedList), "Base Speed 5 RPM", "6001"));
    EXPECT_TRUE(ApplyParamValue(Tercel::List(Tercel::kMotorSpeedList), "Base Speed 5 RPM", "6000"));
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2878", L"3138"}));
}

}  // namespace
