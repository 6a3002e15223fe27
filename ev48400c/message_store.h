// The family's process-wide message objects.
//
// Each object is made by the first frame of its kind that checks out and then lives for the rest of
// the process: the entry lists point at it, so later answers are copied into it instead of replacing
// it. A group that never answered stays empty, and everything that reads a group first asks.
#pragma once

#include <memory>
#include <set>

#include "core/param_entry.h"

#include "core/imessage.h"
#include "ev48400c/accelerator_pedal.h"
#include "ev48400c/command_response_mcu2pc.h"
#include "ev48400c/cycle_request_pc2mcu.h"
#include "ev48400c/cycle_response_mcu2pc.h"
#include "ev48400c/fault_list_ev48400c_d5.h"
#include "ev48400c/firmware_version.h"
#include "ev48400c/hill_control.h"
#include "ev48400c/low_side_drive.h"
#include "ev48400c/mileage.h"
#include "ev48400c/motor_parameters.h"
#include "ev48400c/standard_gear_mode.h"
#include "ev48400c/temperature_regulation.h"

namespace EV48400C {

struct MessageStore {
    std::shared_ptr<CycleRequestPC2MCU> request;  // the last request sent
    std::shared_ptr<CommandResponse_MCU2PC> commandResponse;
    std::shared_ptr<CycleResponseMCU2PC> liveData;
    std::shared_ptr<FirmwareVersion> firmwareVersion;
    std::shared_ptr<MotorParameters> motorParameters;
    std::shared_ptr<StandardGearMode> standardGearMode;
    std::shared_ptr<Mileage> mileage;
    std::shared_ptr<AcceleratorPedal> acceleratorPedal;
    std::shared_ptr<LowSideDrive> lowSideDrive;
    std::shared_ptr<TemperatureRegulation> temperatureRegulation;
    std::shared_ptr<HillControl> hillControl;
    std::shared_ptr<FaultListEV48400CD5> faultList;
};

MessageStore& Messages();

// The messages taken since the last full read began (or since the store was emptied): which groups
// the controller gave in the read under way.
std::set<const void*>& TakenThisRead();
// Whether the entry's group was taken in the read under way.
bool EntryWasRead(const ParamEntry& entry);

// Empties the family's entry lists and forgets every message, in that order so that no entry is left
// pointing at a message that is gone. The model variant is kept (a typed raw frame puts it back).
void ResetMessages();
// Everything the family keeps for the process, the model variant included, back to "nothing read".
void ResetFamily();

// Parses the frame into a fresh object and, only when it checks out, copies that into the stored one
// (made on the first success) and republishes its entries. A bad frame leaves the stored values and
// entries as they were, so a garbled answer can never put zeros where the controller's settings were.
template <typename T>
bool ParseInto(std::shared_ptr<T>& stored, const Frame& frame) {
    T fresh;
    if (!fresh.Parse(frame)) return false;
    if (stored)
        *stored = fresh;
    else
        stored = std::make_shared<T>(fresh);
    TakenThisRead().insert(stored.get());
    if constexpr (requires { stored->BuildParamEntries(); }) stored->BuildParamEntries();
    return true;
}

}  // namespace EV48400C
