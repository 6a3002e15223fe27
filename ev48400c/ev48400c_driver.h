// The EV48-400-C driver: makes contact, reads every message into the family's process-wide objects,
// writes the parameter groups back and loads backup and profile files. It owns no port and no state.
#pragma once

#include <cstdint>
#include <string>

#include "core/controller_interface.h"
#include "core/imessage.h"

namespace EV48400C {

class EV48400C final : public ControllerInterface {
public:
    std::string GetName() const override { return "EV48-400-C"; }
    // Three attempts to hear the live data, then the whole read sequence.
    bool Identify() override;
    uint32_t GetBaudRate() const override { return 115200; }

    // Asks for one message and takes it when it checks out, asking once more when the first answer
    // is missing or does not check out. True when anything came back at all: a garbled answer still
    // shows a controller is there.
    bool ReadMessage(uint8_t identifier);
    // Firmware, live data, the parameter groups and the fault list. True when every one answered.
    bool ReadAll();
    // Sends the group's frame and takes the controller's command response. True only when the response
    // checks out, names this group and says it was taken; false for a group never read, a failed send,
    // no answer or a refusal.
    bool WriteGroup(const IMessage* group);
    // Writes all seven tunable groups, once each. The changed keys of a group the controller took are
    // confirmed and leave DirtyKeys; the others (of a group refused or never read, or of no group)
    // stay changed and are reported not confirmed. Then reads everything back except the groups that
    // keep unconfirmed changes.
    WriteOutcome WriteAll();
    bool OnParamEdited(const std::wstring& key);
};

}  // namespace EV48400C
