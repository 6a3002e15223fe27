// The controller's firmware release date, version and type; shown, never written.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class FirmwareVersion : public IMessage {
public:
    uint8_t GetId() const override { return kFirmwareVersionId; }
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "Firmware Version"; }
    std::string Describe() const override;
    void BuildParamEntries();

    std::string DateText() const;
    std::string VersionText() const;
    std::string TypeText() const;

private:
    uint16_t year_ = 0;
    uint16_t month_ = 0;
    uint16_t day_ = 0;
    uint16_t version_ = 0;
    uint16_t type_ = 0;
    uint16_t reserved14_ = 0;  // stored, not shown
    uint16_t reserved16_ = 0;

    static const std::array<WordField<FirmwareVersion>, 7> kLayout;
};

}  // namespace EV48400C
