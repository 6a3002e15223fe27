// Tire diameter and reduction ratio, from which the controller reckons speed and distance.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class Mileage : public IMessage {
public:
    uint8_t GetId() const override { return kMileageId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Mileage Calculation"; }
    std::string Describe() const override;
    void BuildParamEntries();

private:
    uint16_t tireDiameter_ = 0;
    uint16_t reductionRatio_ = 0;  // tenths

    static const std::array<WordField<Mileage>, 2> kLayout;
};

}  // namespace EV48400C
