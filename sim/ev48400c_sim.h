#pragma once

#include <memory>

#include "sim/sim_controller.h"

namespace sim {
std::unique_ptr<SimController> MakeEv48400cSim();
}  // namespace sim
