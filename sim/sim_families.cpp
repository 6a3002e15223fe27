#include "sim/sim_families.h"

#include "sim/ev48400c_sim.h"
#include "sim/fj_sim.h"
#include "sim/sim_controller.h"
#include "sim/tercel_sim.h"

namespace sim {

void RegisterAllFamilies() {
    RegisterSimController("EV48-400-C", MakeEv48400cSim);
    RegisterSimController("FJ", MakeFjSim);
    RegisterSimController("Tercel", MakeTercelSim);
}

}  // namespace sim
