// The controller's answer to a written group.
#pragma once

#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class CommandResponse_MCU2PC : public IMessage {
public:
    uint8_t GetId() const override { return kCommandResponseId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "MCU Responding to PC command"; }
    std::string Describe() const override;

    uint8_t RequestId() const { return requestId_; }
    uint8_t ResponseCode() const { return responseCode_; }
    uint16_t HistoryDtcNumber() const { return historyDtcNumber_; }

private:
    uint8_t requestId_ = 0;  // identifier of the group the controller answers
    uint8_t responseCode_ = 0;
    uint16_t historyDtcNumber_ = 0;
};

}  // namespace EV48400C
