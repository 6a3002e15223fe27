#include "app/cards/tuning_actions.h"

#include "core/log.h"
#include "core/param_registry.h"
#include "ev48400c/ev48400c_driver.h"
#include "fj/fj_controller.h"
#include "tercel/tercel_controller.h"

namespace app {

bool ReadEverything(datafiles::Family family) {
    bool answered = false;
    switch (family) {
        case datafiles::Family::EV48400C:
            answered = EV48400C::EV48400C().ReadAll();
            break;
        case datafiles::Family::FJ:
            answered = FJ::FJController().ReadAll();
            break;
        case datafiles::Family::Tercel:
            answered = Tercel::TercelController().ReadAll();
            break;
        case datafiles::Family::None:
            Log("ERROR: Unknown Controller");
            return false;
    }
    DirtyKeys().clear();
    return answered;
}

bool WritePendingChanges(datafiles::Family family) {
    bool confirmed = false;
    switch (family) {
        case datafiles::Family::EV48400C:
            confirmed = EV48400C::EV48400C().WriteAll();
            break;
        case datafiles::Family::FJ:
            confirmed = FJ::FJController().WriteChangedParameters();
            break;
        case datafiles::Family::Tercel:
            confirmed = Tercel::TercelController().WriteDirtyRegisters();
            break;
        case datafiles::Family::None:
            Log("ERROR: Unknown Controller");
            return false;
    }
    DirtyKeys().clear();
    return confirmed;
}

}  // namespace app
