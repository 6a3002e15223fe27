#include "app/cards/faults_model.h"

#include "session/family_table.h"
#include "session/session.h"

namespace app {

FaultsPage BuildFaultsPage(const session::FaultDescriber& describe) {
    FaultsPage page;
    page.family = session::ConnectedFamily();
    const session::FamilyOps& ops = session::Ops(page.family);
    const session::ControllerBanner banner = ops.banner();
    page.statusText = banner.statusText;
    page.pictureId = banner.pictureId;
    page.rows = ops.faultRows(describe);
    for (const auto& line : page.rows.legend) {
        if (!page.legend.empty()) page.legend += L"\r\n";
        page.legend += line;
    }
    // No family has a command that clears the controller's fault history: a button that looked
    // usable and did nothing would tell the technician the history was cleared.
    page.clearEnabled = false;
    return page;
}

}  // namespace app
