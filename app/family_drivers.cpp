#include "app/family_drivers.h"

#include "app/app_state.h"
#include "ev48400c/cycle_response_mcu2pc.h"
#include "ev48400c/ev48400c_driver.h"
#include "fj/fj_controller.h"
#include "tercel/tercel_controller.h"

namespace app {

std::shared_ptr<ControllerInterface> RealFamilyDrivers::Make(Family family) {
    switch (family) {
        case Family::Fj:
            return std::make_shared<FJ::FJController>();
        case Family::Ev48400c:
            return std::make_shared<EV48400C::EV48400C>();
        case Family::Tercel:
            return std::make_shared<Tercel::TercelController>();
        case Family::None:
            break;
    }
    return nullptr;
}

Family RealFamilyDrivers::FamilyOf(const ControllerInterface& driver) {
    if (dynamic_cast<const FJ::FJController*>(&driver)) return Family::Fj;
    if (dynamic_cast<const EV48400C::EV48400C*>(&driver)) return Family::Ev48400c;
    if (dynamic_cast<const Tercel::TercelController*>(&driver)) return Family::Tercel;
    return Family::None;
}

RealFamilyDrivers& FamilyDriversInstance() {
    static RealFamilyDrivers drivers;
    return drivers;
}

std::shared_ptr<ControllerInterface> ConnectedDriver() {
    const AppState& state = App();
    if (state.fjConnected) return FamilyDriversInstance().Make(Family::Fj);
    if (state.ev48400cConnected) return FamilyDriversInstance().Make(Family::Ev48400c);
    if (state.tercelConnected) return FamilyDriversInstance().Make(Family::Tercel);
    return nullptr;
}

void InstallFamilyStateClearing() {
    App().clearFamilyExtras = [] { EV48400C::isD5Model = false; };
}

}  // namespace app
