#pragma once

#include <memory>

#include "sim/sim_controller.h"

namespace sim {
std::unique_ptr<SimController> MakeTercelSim();
}  // namespace sim
