// Which family the connection page connected, and how the controller pages name it: the status text
// and picture the tuning and faults pages show.
#pragma once

#include <string>

#include "datafiles/tuning_layout.h"

namespace app {

// By the flags the connection set; none while nothing is connected.
datafiles::Family ConnectedFamily();

struct ControllerBanner {
    std::wstring statusText;  // empty when no controller is connected
    int pictureId = 0;        // 0 when there is no picture
};

// The EV48-400-C D5 variant comes first: it has a name and picture of its own.
ControllerBanner ConnectedControllerBanner();

}  // namespace app
