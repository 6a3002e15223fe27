// Maximum speeds of the gears, the speed loop gains and the CAN bit rate.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class StandardGearMode : public IMessage {
public:
    uint8_t GetId() const override { return kStandardGearModeId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Standard gear mode"; }
    std::string Describe() const override;
    void BuildParamEntries();

    uint16_t ForwardHighGearMaxSpeed() const { return forwardHighMaxSpeed_; }
    uint16_t ForwardSlowGearMaxSpeed() const { return forwardSlowMaxSpeed_; }
    uint16_t ReverseMaxSpeed() const { return reverseMaxSpeed_; }

    // Brings every gear speed above the motor's maximum speed down to it and marks those keys dirty.
    void LimitSpeeds(uint16_t motorPeakSpeed);

private:
    uint16_t forwardHighMaxSpeed_ = 0;
    uint16_t forwardSlowMaxSpeed_ = 0;
    uint16_t reverseMaxSpeed_ = 0;
    uint16_t speedLoopKp_ = 0;  // thousandths
    uint16_t speedLoopKi_ = 0;
    uint8_t reserved14_ = 0;  // stored, not shown
    uint8_t reserved16_ = 0;
    uint8_t canBaudrate_ = 0;

    static const std::array<WordField<StandardGearMode>, 5> kWords;
    static const std::array<ByteField<StandardGearMode>, 3> kBytes;
};

}  // namespace EV48400C
