#pragma once

namespace sim {
// Registers the simulated controller of every family this build knows.
void RegisterAllFamilies();
}  // namespace sim
