// The family's entry lists in the parameter registry, one per section of the tuning page.
#pragma once

#include <string_view>

#include "core/param_entry.h"
#include "core/param_registry.h"

namespace EV48400C {

inline constexpr std::string_view kLiveDataList = "EV48-400-C Real Time";
inline constexpr std::string_view kFirmwareList = "EV48-400-C Firmware";
inline constexpr std::string_view kFaultList = "EV48-400-C Faults";
inline constexpr std::string_view kAcceleratorList = "EV48-400-C Accelerator";
inline constexpr std::string_view kAccelerationList = "EV48-400-C Acceleration";
inline constexpr std::string_view kHillControlList = "EV48-400-C Hill Control";
inline constexpr std::string_view kLowSideDriveList = "EV48-400-C Low Side Driver";
inline constexpr std::string_view kMileageList = "EV48-400-C Mileage";
inline constexpr std::string_view kMotorSpeedList = "EV48-400-C Motor Speed";
inline constexpr std::string_view kMotorTorqueList = "EV48-400-C Motor Torque";
inline constexpr std::string_view kMotorPowerList = "EV48-400-C Motor Power";
inline constexpr std::string_view kGearSpeedList = "EV48-400-C Gear Speeds";
inline constexpr std::string_view kSpeedLoopList = "EV48-400-C Speed Loop";
inline constexpr std::string_view kTemperatureList = "EV48-400-C Temperature";

// Every list of the family.
inline constexpr std::string_view kAllLists[] = {
    kLiveDataList,    kFirmwareList,     kFaultList,     kAcceleratorList, kAccelerationList,
    kHillControlList, kLowSideDriveList, kMileageList,   kMotorSpeedList,  kMotorTorqueList,
    kMotorPowerList,  kGearSpeedList,    kSpeedLoopList, kTemperatureList};

inline EntryList& List(std::string_view name) {
    return ParamRegistry::Instance().List(name);
}

}  // namespace EV48400C
