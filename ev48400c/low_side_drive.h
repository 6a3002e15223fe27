// The low-side outputs: main relay, electric brake and speed pulse, with their pull-in and hold settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class LowSideDrive : public IMessage {
public:
    uint8_t GetId() const override { return kLowSideDriveId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Low Side Driver"; }
    std::string Describe() const override;
    void BuildParamEntries();

private:
    uint16_t mainRelayEnable_ = 0;
    uint16_t elecBrakeEnable_ = 0;
    uint16_t speedFretEnable_ = 0;
    // Tenths of a volt and tenths of a second.
    uint16_t mainRelayPullinVolt_ = 0;
    uint16_t mainRelayPullinTime_ = 0;
    uint16_t mainRelayKeepVolt_ = 0;
    uint16_t elecBrakePullinVolt_ = 0;
    uint16_t elecBrakePullinTime_ = 0;
    uint16_t elecBrakeKeepVolt_ = 0;

    static const std::array<WordField<LowSideDrive>, 9> kLayout;
};

}  // namespace EV48400C
