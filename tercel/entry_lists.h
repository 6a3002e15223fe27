// The family's entry lists in the parameter registry, one per section of the tuning page.
#pragma once

#include <string_view>

#include "core/param_entry.h"
#include "core/param_registry.h"

namespace Tercel {

inline constexpr std::string_view kIdentityList = "Tercel Board Info";
inline constexpr std::string_view kConfigList = "Tercel Configuration";
inline constexpr std::string_view kDriveInfoList = "Tercel Drive Info";
inline constexpr std::string_view kMotorList = "Tercel Motor";
inline constexpr std::string_view kSpeedLimitList = "Tercel Speed Limits";
inline constexpr std::string_view kMotorSpeedList = "Tercel Motor Speeds";
inline constexpr std::string_view kCurrentLimitList = "Tercel Current Limits";
inline constexpr std::string_view kAccelerationMode0List = "Tercel Acceleration Mode 0";
inline constexpr std::string_view kAccelerationMode1List = "Tercel Acceleration Mode 1";
inline constexpr std::string_view kVehicleList = "Tercel Vehicle";

inline EntryList& List(std::string_view name) {
    return ParamRegistry::Instance().List(name);
}

}  // namespace Tercel
