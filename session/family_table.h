// The one table of the controller families. Every place that treats the families differently looks the
// family up here and never names one: adding a family is one folder of its own plus one entry in
// family_table.cpp.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/controller_interface.h"
#include "core/family.h"
#include "core/raw_frame.h"
#include "datafiles/data_file.h"
#include "datafiles/tuning_layout.h"
#include "session/fault_rows.h"
#include "session/settings.h"

namespace session {

// How the pages name the connected controller: the status text and the picture's resource number.
struct ControllerBanner {
    std::wstring statusText;  // empty when no controller is connected
    int pictureId = 0;        // 0 when there is no picture
};

// The raw frame commands of a family: what the RX/TX page and the command line's raw do.
struct RawFrameCommands {
    RawFrameOutcome (*parseTx)(std::string_view text);
    RawFrameOutcome (*parseRx)(std::string_view text);
    std::optional<std::string> (*fixChecksum)(std::string_view text);
    std::optional<std::string> (*transmit)(std::string_view text);
    size_t longestFrame;  // the longest frame the family sends or answers with, in bytes
};

struct FamilyOps {
    Family family;
    const char* name;  // "FJ", "EV48-400-C", "Tercel"
    uint32_t baudRate;
    uint32_t eventCode;            // carried by the main window's connection event
    bool Settings::*probeSetting;  // whether "Connect" tries the family
    bool hasRawFramePage;          // the RX/TX page is offered (with the setting on)
    // A fresh driver; drivers keep nothing between operations.
    std::shared_ptr<ControllerInterface> (*makeDriver)();
    // Reads every group again. True when the controller answered every read.
    bool (*readAll)();
    // Before a full read: the entries' read marks then say what that read got (values stay).
    void (*forgetReads)();
    // Whether the controller gave the entry's value in this connection.
    bool (*entryWasRead)(const ParamEntry& entry);
    // The groups whose entries exist only once the controller gave the group, and that it has not
    // given in this connection; their rows are missing rather than empty.
    std::vector<std::string> (*unreadGroups)();
    // Writes the pending changes the family's way: which keys the controller confirmed.
    WriteOutcome (*writeChanges)();
    // Reads one changed entry again on its own. True when the controller answered, or when the family
    // reads no entry on its own (its full read covers it).
    bool (*readBack)(const std::wstring& key);
    // The family's rule after an entry was stored. True when other shown values changed.
    bool (*afterEdit)(const std::wstring& key);
    std::vector<datafiles::TabLayout> (*layout)();
    FaultRows (*faultRows)(const FaultDescriber& describe);
    RawFrameCommands raw;
    const datafiles::DataFilePart* dataFile;
    // Puts every value the family keeps for the whole process back to "nothing read".
    void (*resetState)();
    ControllerBanner (*banner)();
    // Publishes the family's entry lists without a controller, over the values the model holds, so
    // that a data file taken into a model reset to "nothing read" can be shown. Lists already there
    // stay as they are.
    void (*publishEntries)();
    // Asks the controller for the live values of the Stats tab again; after forgetReads the read
    // marks say which answered. None for a family whose controllers report no live values.
    void (*readLive)();
};

// The families in the order a probe tries them: FJ, EV48-400-C, Tercel.
std::span<const FamilyOps* const> Families();

// The entry of a family; none for Family::None.
const FamilyOps* Find(Family family);
// The entry of a family; for None one whose operations do nothing (and log "ERROR: Unknown Controller").
const FamilyOps& Ops(Family family);

// "FJ", "EV48-400-C", "Tercel"; empty for none.
std::string FamilyName(Family family);
// The family of a name, any case; none for another name.
std::optional<Family> FamilyFromName(std::string_view name);
// The family a connection event carries; none for another code.
Family FamilyOfEventCode(uint32_t code);

// The family's own entries, one file each.
const FamilyOps& Ev48400cOps();
const FamilyOps& FjOps();
const FamilyOps& TercelOps();

}  // namespace session
