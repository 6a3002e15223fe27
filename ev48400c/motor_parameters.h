// The motor's limits (speed, power, torque) and the driving and regenerative torque factors per speed band.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class MotorParameters : public IMessage {
public:
    uint8_t GetId() const override { return kMotorParametersId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Motor Parameter"; }
    std::string Describe() const override;
    void BuildParamEntries();

    uint16_t MotorPeakSpeed() const { return motorPeakSpeed_; }
    void SetMotorPeakSpeed(uint16_t rpm);
    void SetMotorPeakPower(uint16_t watts);
    void SetMotorPeakTorque(uint16_t newtonMetres);

private:
    uint16_t reserved4_ = 0;  // stored, not shown
    uint16_t reserved6_ = 0;
    uint16_t reserved8_ = 0;
    uint16_t motorPeakSpeed_ = 0;
    uint16_t motorPeakPower_ = 0;
    uint16_t motorPeakTorque_ = 0;
    // Percent per speed band.
    uint16_t eleTorque0To500_ = 0;
    uint16_t eleTorque500To1000_ = 0;
    uint16_t eleTorque1000To1500_ = 0;
    uint16_t eleTorque1500To2000_ = 0;
    uint16_t eleTorque2000To2500_ = 0;
    uint16_t eleTorque2500To3000_ = 0;
    uint16_t eleTorque3000ToMax_ = 0;
    uint16_t genTorque0To1000_ = 0;
    uint16_t genTorque1000To2000_ = 0;
    uint16_t genTorque2000To3000_ = 0;
    uint16_t genTorque3000To4000_ = 0;
    uint16_t genTorque4000To5000_ = 0;
    uint16_t genTorque5000ToMax_ = 0;

    static const std::array<WordField<MotorParameters>, 19> kLayout;
};

}  // namespace EV48400C
