#pragma once

#include <memory>

#include "sim/sim_controller.h"

namespace sim {
std::unique_ptr<SimController> MakeFjSim();
}  // namespace sim
