// The controller's live data: switches, voltages, speeds, temperatures and counters, shown read-only.
#pragma once

#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

// Set when the live data report the D5 vehicle model; the pages title the controller by it. Whoever
// clears the family-connected flags clears it too.
inline bool isD5Model = false;

class CycleResponseMCU2PC : public IMessage {
public:
    uint8_t GetId() const override { return kCycleResponseId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "MCU Periodic message response"; }
    std::string Describe() const override;
    void BuildParamEntries();

    // Also decides isD5Model.
    void SetVehicleModel(uint16_t model);

private:
    bool mainRelay_ = false;
    bool brakeRelay_ = false;
    bool accelerationPedal_ = false;
    bool drivingForward_ = false;
    bool drivingReverse_ = false;
    bool slowMode_ = false;
    uint16_t reserveSwitch_ = 0;
    uint16_t voltageDC_ = 0;
    uint16_t vehicleModel_ = 0;
    uint16_t voltageKSI_ = 0;
    uint8_t hardwareVersion_ = 0;
    uint8_t voltage5VOut_ = 0;
    uint16_t currentIs_ = 0;
    uint16_t bdiBatteryVoltage_ = 0;
    uint16_t voltageMainRelay_ = 0;
    uint16_t voltageBrakeRelay_ = 0;
    uint16_t voltageAccelerator_ = 0;
    int16_t motorSpeedFbk_ = 0;
    int16_t motorSpeedRef_ = 0;
    uint16_t vehicleSpeed_ = 0;
    int16_t speedPhaseA_ = 0;
    int16_t speedPhaseB_ = 0;
    int16_t motorTemp_ = 0;
    int16_t controllerTemp_ = 0;
    uint32_t totalWorkingTime_ = 0;
    uint32_t totalOdometer_ = 0;
};

}  // namespace EV48400C
