// Accelerator pedal signal, its voltage window and the acceleration and deceleration rates per speed band.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class AcceleratorPedal : public IMessage {
public:
    uint8_t GetId() const override { return kAcceleratorPedalId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Accelerator"; }
    std::string Describe() const override;
    void BuildParamEntries();

private:
    uint16_t signalType_ = 0;
    uint16_t maxVoltage_ = 0;
    uint16_t minVoltage_ = 0;
    uint16_t backwardAcceleration_ = 0;
    uint16_t backwardDeceleration_ = 0;
    // Forward rates named after the upper end of their speed band (6000 stands for MAX).
    uint16_t forwardAcceleration500_ = 0;
    uint16_t forwardAcceleration1000_ = 0;
    uint16_t forwardAcceleration2000_ = 0;
    uint16_t forwardAcceleration3000_ = 0;
    uint16_t forwardAcceleration4000_ = 0;
    uint16_t forwardAcceleration5000_ = 0;
    uint16_t forwardAcceleration6000_ = 0;
    uint16_t forwardDeceleration500_ = 0;
    uint16_t forwardDeceleration1000_ = 0;
    uint16_t forwardDeceleration2000_ = 0;
    uint16_t forwardDeceleration3000_ = 0;
    uint16_t forwardDeceleration4000_ = 0;
    uint16_t forwardDeceleration5000_ = 0;
    uint16_t forwardDeceleration6000_ = 0;

    static const std::array<WordField<AcceleratorPedal>, 19> kLayout;
};

}  // namespace EV48400C
