// The EV48-400-C entry of the family table.
#include "core/param_registry.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/ev48400c_driver.h"
#include "ev48400c/frame_codec.h"
#include "ev48400c/message_store.h"
#include "ev48400c/raw_frame.h"
#include "session/family_table.h"

namespace session {

namespace {

FaultRows Ev48400cFaultRows(const FaultDescriber&) {
    FaultRows rows;
    rows.current.columns = {{L"Code", 50}, {L"Name", 400}};
    rows.historical.columns = {{L"Code", 50}, {L"Section", 50}, {L"Data", 50}, {L"Name", 300}};
    for (const ParamEntry& entry : EV48400C::List(EV48400C::kFaultList)) {
        if (!entry.getter) continue;
        // Only exactly "1" is an active fault: a counter that reads "10" is not.
        std::string value;
        try {
            value = entry.getter(entry.owner);
        } catch (...) {
            continue;
        }
        if (value == "1") rows.current.rows.push_back({entry.key, entry.label});
    }
    return rows;
}

ControllerBanner Ev48400cBanner() {
    // The D5 variant has a name and picture of its own.
    if (EV48400C::isD5Model) return {L"EV48-400C D5 Controller", 213};
    return {L"EV48-400-C Controller", 212};
}

// The groups of the read sequence the controller has not given in this connection, by the names the
// backups use.
std::vector<std::string> UnreadGroups() {
    const auto& m = EV48400C::Messages();
    const std::pair<const char*, bool> groups[] = {
        {"Firmware", m.firmwareVersion != nullptr},
        {"Controller", m.liveData != nullptr},
        {"Motor Parameters", m.motorParameters != nullptr},
        {"Standard Gear Mode", m.standardGearMode != nullptr},
        {"Mileage", m.mileage != nullptr},
        {"Accelerator", m.acceleratorPedal != nullptr},
        {"Low Side Driver", m.lowSideDrive != nullptr},
        {"Temperature Regulation", m.temperatureRegulation != nullptr},
        {"Slope Control", m.hillControl != nullptr},
        {"Faults", m.faultList != nullptr},
    };
    std::vector<std::string> unread;
    for (const auto& [name, read] : groups)
        if (!read) unread.push_back(name);
    return unread;
}

}  // namespace

const FamilyOps& Ev48400cOps() {
    static const FamilyOps ops = {
        Family::EV48400C,
        "EV48-400-C",
        EV48400C::EV48400C().GetBaudRate(),
        0x800C,
        &Settings::probeEv48400c,
        false,
        [] { return std::shared_ptr<ControllerInterface>(std::make_shared<EV48400C::EV48400C>()); },
        [] { return EV48400C::EV48400C().ReadAll(); },
        [] { EV48400C::TakenThisRead().clear(); },
        EV48400C::EntryWasRead,
        UnreadGroups,
        [] { return EV48400C::EV48400C().WriteAll(); },
        [](const std::wstring&) { return true; },
        [](const std::wstring& key) { return EV48400C::EV48400C().OnParamEdited(key); },
        datafiles::Ev48400cLayout,
        Ev48400cFaultRows,
        {EV48400C::ParseTxFrame, EV48400C::ParseRxFrame, EV48400C::FixChecksum, EV48400C::TransmitFrame,
         EV48400C::kFrameLength},
        &datafiles::kEv48400cDataFile,
        EV48400C::ResetFamily,
        Ev48400cBanner,
        // A group publishes its entries when its frame is taken, from the controller or from a file.
        [] {},
        [] { EV48400C::EV48400C().ReadMessage(EV48400C::kCycleResponseId); },
    };
    return ops;
}

}  // namespace session
