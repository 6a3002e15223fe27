// Temperatures at which the controller cuts back power and at which it stops driving.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class TemperatureRegulation : public IMessage {
public:
    uint8_t GetId() const override { return kTemperatureRegulationId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Temperature Regulation"; }
    std::string Describe() const override;
    void BuildParamEntries();

private:
    uint16_t motorTempSensorType_ = 0;
    uint16_t overTempMtCutback_ = 0;
    uint16_t overTempMtZeroPw_ = 0;
    uint16_t overTempCtCutback_ = 0;
    uint16_t overTempCtZeroPw_ = 0;
    // Signed degrees, kept as the raw words the controller sends.
    uint16_t underTempCtCutback_ = 0;
    uint16_t underTempCtZeroPw_ = 0;

    static const std::array<WordField<TemperatureRegulation>, 7> kLayout;
};

}  // namespace EV48400C
