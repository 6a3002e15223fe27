#include "app/cards/connected_family.h"

#include "app/app_state.h"
#include "app/resource_ids.h"
#include "ev48400c/cycle_response_mcu2pc.h"

namespace app {

datafiles::Family ConnectedFamily() {
    const AppState& state = App();
    if (state.ev48400cConnected) return datafiles::Family::EV48400C;
    if (state.fjConnected) return datafiles::Family::FJ;
    if (state.tercelConnected) return datafiles::Family::Tercel;
    return datafiles::Family::None;
}

ControllerBanner ConnectedControllerBanner() {
    if (EV48400C::isD5Model) return {L"EV48-400C D5 Controller", kPictureEv48400cD5};
    switch (ConnectedFamily()) {
        case datafiles::Family::EV48400C:
            return {L"EV48-400-C Controller", kPictureEv48400c};
        case datafiles::Family::FJ:
            return {L"FJ Controller", kPictureFj};
        case datafiles::Family::Tercel:
            return {L"Tercel Controller", kPictureTercel};
        case datafiles::Family::None:
            break;
    }
    return {};
}

}  // namespace app
