// How the vehicle behaves on a slope with the accelerator released.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class HillControl : public IMessage {
public:
    uint8_t GetId() const override { return kHillControlId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Slope Control"; }
    std::string Describe() const override;
    void BuildParamEntries();

private:
    uint16_t mode_ = 0;
    uint16_t slideMaxMotorSpeed_ = 0;
    uint16_t slideKp_ = 0;
    uint16_t slideKi_ = 0;

    static const std::array<WordField<HillControl>, 4> kLayout;
};

}  // namespace EV48400C
