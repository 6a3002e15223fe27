// The controller's identity, decoded from its 39-byte answer to MCB_CMD_GETINFO.
#pragma once

#include <cstdint>
#include <string>

#include "core/imessage.h"

namespace Tercel {

class GetInfo : public IMessage {
public:
    bool IsValid(const Frame& frame) const override;
    uint8_t GetId() const override;
    // Decodes the fields only after the frame has checked out, so a refused frame changes nothing.
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "GetInfo"; }
    std::string Describe() const override;
    void BuildParamEntries();

    uint8_t ProtocolVersion() const { return protocolVersion_; }
    std::string FirmwareVersion() const;
    const std::string& Description() const { return description_; }

private:
    uint8_t protocolVersion_ = 0;
    uint8_t reserved3_ = 0;
    uint8_t reserved4_ = 0;
    uint8_t firmwareMajor_ = 0;
    uint8_t firmwareMinor_ = 0;
    uint8_t reserved7_ = 0;
    uint16_t word8_ = 0;   // big-endian on the wire; kept, not shown
    uint16_t word10_ = 0;  // big-endian on the wire; kept, not shown
    std::string description_;
};

}  // namespace Tercel
