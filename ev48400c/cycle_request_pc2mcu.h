// The one request the PC sends: asks the controller for one message by its identifier.
#pragma once

#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class CycleRequestPC2MCU : public IMessage {
public:
    CycleRequestPC2MCU() = default;
    CycleRequestPC2MCU(RequestCommand command, uint8_t requestData)
        : requestCommand_(static_cast<uint8_t>(command)), requestData_(requestData) {}

    uint8_t GetId() const override { return kCycleRequestId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "MCU Periodic message request"; }
    std::string Describe() const override;

    uint8_t RequestData() const { return requestData_; }

private:
    uint8_t requestCommand_ = 0;
    uint8_t requestData_ = 0;  // identifier of the message asked for
    uint8_t faultIndex_ = 0;
    uint8_t faultSubNumber_ = 0;
};

}  // namespace EV48400C
