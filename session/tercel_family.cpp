// The Tercel entry of the family table.
#include <algorithm>

#include "core/param_registry.h"
#include "session/family_table.h"
#include "tercel/command_codec.h"
#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/family_state.h"
#include "tercel/motor.h"
#include "tercel/raw_frame.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tercel/tercel_controller.h"
#include "tercel/vehicle.h"

namespace session {

namespace {

// The controller reports no faults yet; its columns are shown so the page looks the same.
FaultRows TercelFaultRows(const FaultDescriber&) {
    FaultRows rows;
    rows.current.columns = {{L"Code", 50}, {L"Times", 50}, {L"Name", 350}};
    rows.historical.columns = {{L"Code", 50}, {L"Name", 225}};
    return rows;
}

void ResetTercel() {
    Tercel::ResetFamily();
    // A frame sent on the RX/TX page belongs to the controller it was sent to.
    Tercel::SetLastTransmittedCommand(0);
}

template <typename Block>
void Publish(std::shared_ptr<Block>& block) {
    if (block) return;
    block = std::make_shared<Block>();
    block->BuildParamEntries();
}

// The register blocks over the register map as it is; the identity comes only from a controller.
void PublishTercelEntries() {
    auto& objects = Tercel::Objects();
    Publish(objects.config);
    Publish(objects.driveInfo);
    Publish(objects.motor);
    Publish(objects.speedControl);
    Publish(objects.vehicle);
}

}  // namespace

const FamilyOps& TercelOps() {
    static const FamilyOps ops = {
        Family::Tercel,
        "Tercel",
        Tercel::TercelController().GetBaudRate(),
        0x800D,
        &Settings::probeTercel,
        true,
        [] { return std::shared_ptr<ControllerInterface>(std::make_shared<Tercel::TercelController>()); },
        [] { return Tercel::TercelController().ReadAll(); },
        [] { Tercel::Marks().registersRead.clear(); },
        Tercel::EntryWasRead,
        [] { return std::vector<std::string>(); },
        [] { return Tercel::TercelController().WriteDirtyRegisters(); },
        [](const std::wstring& key) {
            uint16_t address = 0;
            return !Tercel::ParseRegisterKey(key, address) ||
                   Tercel::TercelController().ReadRegister(address);
        },
        [](const std::wstring& key) { return Tercel::TercelController().OnParamEdited(key); },
        datafiles::TercelLayout,
        TercelFaultRows,
        {Tercel::ParseTxFrame, Tercel::ParseRxFrame, Tercel::FixChecksum, Tercel::TransmitFrame,
         std::max(Tercel::kIdentityAnswerLength, Tercel::kWriteFrameLength)},
        &datafiles::kTercelDataFile,
        ResetTercel,
        [] {
            return ControllerBanner{L"Tercel Controller", 217};
        },
        PublishTercelEntries,
        nullptr,
    };
    return ops;
}

}  // namespace session
