#include "datafiles/tuning_layout.h"

#include "ev48400c/entry_lists.h"
#include "fj/parameter_table.h"
#include "tercel/entry_lists.h"
#include "tercel/speed_control.h"

namespace datafiles {

namespace {

std::vector<const EntryList*> Lists(std::initializer_list<const EntryList*> lists) {
    return std::vector<const EntryList*>(lists);
}

}  // namespace

std::vector<TabLayout> Ev48400cLayout() {
    using namespace EV48400C;
    // Every published list appears under some heading, so nothing the controller reports is hidden.
    // The gear speeds share the speed tab with the motor's peak speed, which limits them.
    return {
        {TuningTab::Tuning,
         {{"Speed Control", Lists({&List(kMotorSpeedList), &List(kGearSpeedList)})},
          {"Acceleration/Deceleration", Lists({&List(kAccelerationList)})},
          {"Torque", Lists({&List(kMotorTorqueList)})},
          {"Hill Control", Lists({&List(kHillControlList)})}}},
        {TuningTab::Stats, {{"Real Time", Lists({&List(kLiveDataList)})}}},
        {TuningTab::Info, {{"Info", Lists({&List(kFirmwareList)})}}},
        {TuningTab::Sink,
         {{"Mileage", Lists({&List(kMileageList)})},
          {"Temperature", Lists({&List(kTemperatureList)})},
          {"Accelerator", Lists({&List(kAcceleratorList)})},
          {"Motor", Lists({&List(kMotorPowerList), &List(kSpeedLoopList), &List(kLowSideDriveList)})}}},
    };
}

std::vector<TabLayout> FjLayout() {
    using namespace FJ;
    return {
        {TuningTab::Tuning,
         {{"Speed Control", Lists({&List(kSpeedTuningList)})},
          {"Acceleration/Decelaeration", Lists({&List(kAcceleratorTuningList)})},
          {"Torque", Lists({&List(kTorqueTuningList)})},
          {"Hill Control", Lists({&List(kHillTuningList)})},
          {"General", Lists({&List(kGeneralList)})}}},
        {TuningTab::Stats,
         {{"Controller", Lists({&List(kControllerRealTimeList)})},
          {"Battery", Lists({&List(kBatteryRealTimeList)})}}},
        {TuningTab::Info, {{"Info", Lists({&List(kControllerInfoList)})}}},
        {TuningTab::Sink, {{"Kitchen Sink", Lists({&List(kKitchenSinkList)})}}},
    };
}

std::vector<TabLayout> TercelLayout() {
    using namespace Tercel;
    // A speed response mode without an acceleration list leaves its heading without rows.
    std::vector<const EntryList*> acceleration;
    if (const EntryList* shown = ShownAccelerationList()) acceleration.push_back(shown);
    return {
        {TuningTab::Tuning,
         {{"Speed Control", Lists({&List(kSpeedLimitList)})},
          {"Accelleration/Deceleration", acceleration},
          {"Torque", Lists({&List(kCurrentLimitList)})}}},
        {TuningTab::Stats, {}},
        {TuningTab::Info,
         {{"Board Info", Lists({&List(kIdentityList)})},
          {"Drive Info", Lists({&List(kDriveInfoList)})},
          {"Configuration", Lists({&List(kConfigList)})}}},
        {TuningTab::Sink,
         {{"Vehicle", Lists({&List(kVehicleList)})}, {"Speed Control", Lists({&List(kMotorSpeedList)})}}},
    };
}

std::vector<TabLayout> EmptyLayout() {
    return {{TuningTab::Tuning, {}}, {TuningTab::Stats, {}}, {TuningTab::Info, {}}, {TuningTab::Sink, {}}};
}

std::vector<LayoutSection> TabSections(const std::vector<TabLayout>& layout, TuningTab tab) {
    for (const auto& tabLayout : layout)
        if (tabLayout.tab == tab) return tabLayout.sections;
    return {};
}

std::vector<const ParamEntry*> SectionRows(const std::vector<LayoutSection>& sections) {
    std::vector<const ParamEntry*> rows;
    for (const EntryList* list : SectionLists(sections))
        for (const auto& entry : *list) rows.push_back(&entry);
    return rows;
}

std::vector<const EntryList*> SectionLists(const std::vector<LayoutSection>& sections) {
    std::vector<const EntryList*> lists;
    for (const auto& section : sections)
        for (const EntryList* list : section.lists)
            if (list) lists.push_back(list);
    return lists;
}

}  // namespace datafiles
