// The enumerations of the EV48-400-C messages and the names the controller's values are shown by.
// Each name table is indexed by the enumerator's value; a value beyond it shows as "Unknown".
#pragma once

#include <array>
#include <cstdint>

namespace EV48400C {

enum class RequestCommand : uint8_t {
    Invalid = 0,
    RequestSpecifiedMessageData = 1,
    ResetSpecifiedMessageData = 2,
    RequestHistoricalTotalFaults = 3,
    ClearHistoricalFaultRecords = 4,
};
inline constexpr std::array<const char*, 5> kRequestCommandNames = {
    "Invalid", "RequestSpecifiedMessageData", "ResetSpecifiedMessageData", "RequestHistoricalTotalFaults",
    "ClearHistoricalFaultRecords"};

enum class ResponseCode : uint8_t { Void = 0, Normal = 1, Abnormality = 2 };
inline constexpr std::array<const char*, 3> kResponseCodeNames = {"void", "normal", "abnormality"};

enum class VehicleModelEnum : uint16_t { Other = 0, D5 = 1 };
inline constexpr std::array<const char*, 2> kVehicleModelNames = {"Other", "D5"};

enum class AcceleratorPedalSigTypeEnum : uint16_t {
    ExternalCommunication = 0,
    AnalogSwitch = 1,
    Analog = 2,
    Switch = 3
};
inline constexpr std::array<const char*, 4> kAcceleratorPedalSigTypeNames = {
    "External communication", "Analog+Switch", "Analog", "Switch"};

enum class FirmwareTypeEnum : uint16_t {
    HighTemperatureAging = 0,
    ElectricBrakes6kW3 = 1,
    NonElectricBrake6kW3 = 2,
    ElectricBrakes4kW = 3,
    NonElectricBrake4kW = 4,
};
inline constexpr std::array<const char*, 5> kFirmwareTypeNames = {
    "High-temperature aging", "Electric brakes 6.3kW", "Non-electric brake 6.3kW", "Electric brakes 4kW",
    "Non-electric brake 4kW"};

enum class HillControlModeEnum : uint16_t { HoldingOnTheSlope = 0, RunningDownOnTheSlope = 1 };
inline constexpr std::array<const char*, 2> kHillControlModeNames = {"Holding on the slope",
                                                                     "Running down on the slope"};

// MainRelayEnableEnum, ElecBrakeEnableEnum and SpeedFretEnableEnum share their two values.
enum class MainRelayEnableEnum : uint16_t { DISABLE = 0, ENABLE = 1 };
enum class ElecBrakeEnableEnum : uint16_t { DISABLE = 0, ENABLE = 1 };
enum class SpeedFretEnableEnum : uint16_t { DISABLE = 0, ENABLE = 1 };
inline constexpr std::array<const char*, 2> kEnableNames = {"DISABLE", "ENABLE"};

enum class CANBaudrateEnum : uint8_t {
    Rate1000K = 0,
    Rate900K = 1,
    Rate800K = 2,
    Rate666K = 3,
    Rate600K = 4,
    Rate500K = 5,
    Rate400K = 6,
    Rate300K = 7,
    Rate250K = 8,
    Rate225K = 9,
    Rate200K = 10,
};
inline constexpr std::array<const char*, 11> kCANBaudrateNames = {
    "1000KBit/s", "900KBit/s", "800KBit/s", "666KBit/s", "600KBit/s", "500KBit/s",
    "400KBit/s",  "300KBit/s", "250KBit/s", "225KBit/s", "200KBit/s"};

enum class MotorTemperatureSensorTypeEnum : uint16_t { Uncheck = 0, PT100 = 1, PT1000 = 2, KTY84 = 3 };
inline constexpr std::array<const char*, 4> kMotorTemperatureSensorTypeNames = {"Uncheck", "PT100", "PT1000",
                                                                                "KTY84"};

}  // namespace EV48400C
