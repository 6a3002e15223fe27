// What the faults page shows for the connected controller: the status text and picture of the family,
// the two lists, the legend and whether the clearing button can act. The page only draws it.
#pragma once

#include <string>

#include "core/family.h"
#include "session/fault_rows.h"

namespace app {

inline constexpr int kIdClearHistoricalFaults = 1800;

struct FaultsPage {
    Family family = Family::None;
    std::wstring statusText;  // empty when no controller is connected
    int pictureId = 0;        // 0 when there is no picture
    session::FaultRows rows;
    std::wstring legend;  // the FJ fault levels, one per line; empty for the other families
    bool clearEnabled = false;
};

// The page for the connected controller, from what the family's driver has already read.
FaultsPage BuildFaultsPage(const session::FaultDescriber& describe);

}  // namespace app
