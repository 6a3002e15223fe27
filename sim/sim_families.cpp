#include "sim/sim_families.h"

#include "sim/sim_controller.h"

namespace sim {

void RegisterAllFamilies() {
    // Each family's simulated controller adds one line here.
}

}  // namespace sim
