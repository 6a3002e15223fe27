// The FJ driver: makes contact, reads the firmware date, the parameter lists and the fault records
// into FjValueTable, writes the changed parameters back and loads backup records. It owns no port and
// no state: values, lists and changed keys are process-wide.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

#include "core/controller_interface.h"
#include "core/param_entry.h"
#include "fj/error_code_file.h"

namespace FJ {

class FJController final : public ControllerInterface {
public:
    std::string GetName() const override { return "FJ"; }
    // Three attempts to read the software type, then the entry lists and the whole read sequence.
    bool Identify() override;
    uint32_t GetBaudRate() const override { return 19200; }

    void BuildParamEntries();
    // Reads one address, with one more exchange when the first brings no acknowledge of it. True when
    // the controller gave the value (it is then marked as read).
    bool ReadParameter(uint8_t group, uint8_t index);
    // Reads every entry of the list; a failed entry is logged and the list goes on.
    bool ReadList(const EntryList& entries);
    // Firmware date, tuning lists, fault records, real-time values, info and the kitchen sink, with
    // a status text per step. False when the firmware date or a fault record did not read; the status
    // then names it ("FJ: could not read firmware date (01:00)").
    bool ReadAll();
    // Sends the value of every changed FJ key. A key is confirmed when the controller's acknowledge
    // echoes the value sent; it then leaves DirtyKeys. Every other key stays changed and is reported
    // not confirmed (an acknowledge with another value leaves that value in the table as the
    // controller's). Nothing is sent twice.
    WriteOutcome WriteChangedParameters();
    // Applies the write records of a data file's "data" section to FjValueTable, marking what changed.
    // False, with nothing applied, when a record does not decipher or the section holds none.
    bool ImportDataFile(const std::string& path);
    ErrorCodeRecord LookupErrorCode(int32_t code) const;

    // "<executable folder>/FJ/fj-errors.csv"
    std::filesystem::path ErrorCodeFile() const;
};

}  // namespace FJ
