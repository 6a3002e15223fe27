// The Tercel driver: identifies the controller, reads every register block into the register map,
// writes the registers whose keys are dirty, and exports and imports the registers as write records of
// data files. It owns no state: the register map, the identity and the blocks are process-wide.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/controller_interface.h"
#include "core/param_entry.h"

namespace Tercel {

class TercelController final : public ControllerInterface {
public:
    std::string GetName() const override { return "Tercel"; }
    // Three attempts to get the identity, then the whole read.
    bool Identify() override;
    uint32_t GetBaudRate() const override { return 38400; }

    // One identity request. True when a 39-byte identity came back and checked out; the identity then
    // counts as read in this connection.
    bool IdentifyOnce();
    // Every block in turn, with a status text for each. Registers that do not answer keep their values
    // and stay unread, so the read always succeeds.
    bool ReadAll();
    // One register read again into the register map, as ReadOneRegister reads it. True when an answer
    // was taken; otherwise the register keeps its value.
    bool ReadRegister(uint16_t address);
    // Sends each dirty register once, in ascending key order. A register is confirmed by an answer
    // that checks out and carries no refusal; it then leaves DirtyKeys. Every other key stays changed
    // and is reported not confirmed.
    WriteOutcome WriteDirtyRegisters();
    // After an edit of the motor's maximum speed, brings the forward speed down to it. True when the
    // page must show its values and maxima anew.
    bool OnParamEdited(const std::wstring& key);

    // The write record of every editable entry of the lists, in list order: the register's write frame
    // as hex text, enciphered. These are the "d" values of a data file.
    std::vector<std::string> ExportRecords(const std::vector<const EntryList*>& lists) const;
};

}  // namespace Tercel
