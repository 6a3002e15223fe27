// Headings per tab and the rows under each. Every registry list gets one marker row named after the
// list, so a heading's rows name the lists it shows.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/tuning_layout.h"
#include "ev48400c/entry_lists.h"
#include "fj/parameter_table.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/register_entries.h"

namespace {

using datafiles::Family;
using datafiles::TuningTab;
using testing::ElementsAre;
using testing::IsEmpty;

void Mark(std::initializer_list<std::string_view> names) {
    for (const auto name : names) {
        ParamEntry entry;
        entry.label = text::Utf8ToWide(name);
        ParamRegistry::Instance().List(name) = {entry};
    }
}

// "Heading: list, list" per section of the tab.
std::vector<std::string> Shown(Family family, TuningTab tab) {
    std::vector<std::string> out;
    for (const auto& section : datafiles::TabSections(family, tab)) {
        std::string line = section.heading + ":";
        for (const ParamEntry* row : datafiles::SectionRows({section}))
            line += " " + text::WideToUtf8(row->label);
        out.push_back(line);
    }
    return out;
}

class TuningLayout : public testing::Test {
protected:
    void SetUp() override {
        ParamRegistry::Instance().Clear();
        Mark({EV48400C::kLiveDataList, EV48400C::kFirmwareList, EV48400C::kAcceleratorList,
              EV48400C::kAccelerationList, EV48400C::kHillControlList, EV48400C::kLowSideDriveList,
              EV48400C::kMileageList, EV48400C::kMotorSpeedList, EV48400C::kMotorTorqueList,
              EV48400C::kMotorPowerList, EV48400C::kGearSpeedList, EV48400C::kSpeedLoopList,
              EV48400C::kTemperatureList});
        Mark({FJ::kSpeedTuningList, FJ::kAcceleratorTuningList, FJ::kTorqueTuningList, FJ::kHillTuningList,
              FJ::kControllerRealTimeList, FJ::kBatteryRealTimeList, FJ::kControllerInfoList,
              FJ::kKitchenSinkList});
        Mark({Tercel::kIdentityList, Tercel::kConfigList, Tercel::kDriveInfoList, Tercel::kMotorList,
              Tercel::kSpeedLimitList, Tercel::kMotorSpeedList, Tercel::kCurrentLimitList,
              Tercel::kAccelerationMode0List, Tercel::kAccelerationMode1List, Tercel::kVehicleList});
        Tercel::Registers().clear();
    }
    void TearDown() override {
        ParamRegistry::Instance().Clear();
        Tercel::Registers().clear();
    }
};

TEST_F(TuningLayout, Ev48400cShowsEveryPublishedList) {
    EXPECT_THAT(Shown(Family::EV48400C, TuningTab::Tuning),
                ElementsAre("Speed Control: EV48-400-C Motor Speed EV48-400-C Gear Speeds",
                            "Acceleration/Deceleration: EV48-400-C Acceleration",
                            "Torque: EV48-400-C Motor Torque", "Hill Control: EV48-400-C Hill Control"));
    EXPECT_THAT(Shown(Family::EV48400C, TuningTab::Stats), ElementsAre("Real Time: EV48-400-C Real Time"));
    EXPECT_THAT(Shown(Family::EV48400C, TuningTab::Info), ElementsAre("Info: EV48-400-C Firmware"));
    EXPECT_THAT(
        Shown(Family::EV48400C, TuningTab::Sink),
        ElementsAre("Mileage: EV48-400-C Mileage", "Temperature: EV48-400-C Temperature",
                    "Accelerator: EV48-400-C Accelerator",
                    "Motor: EV48-400-C Motor Power EV48-400-C Speed Loop EV48-400-C Low Side Driver"));
}

TEST_F(TuningLayout, FjKeepsItsHeadingsAsWritten) {
    EXPECT_THAT(
        Shown(Family::FJ, TuningTab::Tuning),
        ElementsAre("Speed Control: FJ Speed Tuning", "Acceleration/Decelaeration: FJ Accelerator Tuning",
                    "Torque: FJ Torque Tuning", "Hill Control: FJ Hill Tuning", "General:"));
    EXPECT_THAT(Shown(Family::FJ, TuningTab::Stats),
                ElementsAre("Controller: FJ Controller Real-time", "Battery: FJ Battery Real-time"));
    EXPECT_THAT(Shown(Family::FJ, TuningTab::Info), ElementsAre("Info: FJ Controller Info"));
    EXPECT_THAT(Shown(Family::FJ, TuningTab::Sink), ElementsAre("Kitchen Sink: FJ Kitchen Sink"));
}

TEST_F(TuningLayout, TercelAccelerationFollowsTheSpeedResponseMode) {
    const struct {
        uint16_t mode;
        const char* acceleration;
    } cases[] = {
        {0, "Accelleration/Deceleration: Tercel Acceleration Mode 0"},
        {1, "Accelleration/Deceleration: Tercel Acceleration Mode 1"},
        {2, "Accelleration/Deceleration:"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Tercel::Registers()[Tercel::kSpeedResponseModeRegister] = c.mode;
        EXPECT_THAT(Shown(Family::Tercel, TuningTab::Tuning),
                    ElementsAre("Speed Control: Tercel Speed Limits", c.acceleration,
                                "Torque: Tercel Current Limits"));
    }
    EXPECT_THAT(Shown(Family::Tercel, TuningTab::Stats), IsEmpty());
    EXPECT_THAT(Shown(Family::Tercel, TuningTab::Info),
                ElementsAre("Board Info: Tercel Board Info", "Drive Info: Tercel Drive Info",
                            "Configuration: Tercel Configuration"));
    EXPECT_THAT(Shown(Family::Tercel, TuningTab::Sink),
                ElementsAre("Vehicle: Tercel Vehicle", "Speed Control: Tercel Motor Speeds"));
}

TEST_F(TuningLayout, TabsComeInRegistryOrder) {
    for (const Family family : {Family::None, Family::EV48400C, Family::FJ, Family::Tercel}) {
        std::vector<TuningTab> tabs;
        for (const auto& layout : datafiles::TuningLayout(family)) tabs.push_back(layout.tab);
        EXPECT_THAT(tabs, ElementsAre(TuningTab::Tuning, TuningTab::Stats, TuningTab::Info, TuningTab::Sink));
    }
}

}  // namespace
