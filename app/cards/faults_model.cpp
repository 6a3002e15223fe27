#include "app/cards/faults_model.h"

#include "app/cards/connected_family.h"

namespace app {

FaultsPage BuildFaultsPage(const FaultDescriber& describe) {
    FaultsPage page;
    page.family = ConnectedFamily();
    const ControllerBanner banner = ConnectedControllerBanner();
    page.statusText = banner.statusText;
    page.pictureId = banner.pictureId;
    page.rows = BuildFaultRows(page.family, describe);
    if (page.family == datafiles::Family::FJ) {
        for (const auto& line : FjFaultLegendLines()) {
            if (!page.legend.empty()) page.legend += L"\r\n";
            page.legend += line;
        }
    }
    // No family has a command that clears the controller's fault history: a button that looked
    // usable and did nothing would tell the technician the history was cleared.
    page.clearEnabled = false;
    return page;
}

}  // namespace app
