// The controller's active faults: one flag per fault code, packed into the payload bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "ev48400c/frame_codec.h"

namespace EV48400C {

class FaultListEV48400CD5 : public IMessage {
public:
    static constexpr size_t kFaultCount = 60;

    uint8_t GetId() const override { return kFaultListId; }
    // Takes the flags only from a frame that passes the frame check and carries identifier 49.
    bool Parse(const Frame& frame) override;
    Frame Serialize() const override;
    std::string GetName() const override { return "FaultList"; }
    // The names of the active faults, or "No faults".
    std::string Describe() const override;
    void BuildParamEntries();

private:
    std::array<uint8_t, kFaultCount> flags_{};
};

}  // namespace EV48400C
