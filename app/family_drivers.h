// The real drivers of the three families, and the one place that tells them apart by class.
#pragma once

#include <memory>

#include "app/cards/connection_model.h"

namespace app {

class RealFamilyDrivers final : public FamilyDrivers {
public:
    std::shared_ptr<ControllerInterface> Make(Family family) override;
    Family FamilyOf(const ControllerInterface& driver) override;
};

RealFamilyDrivers& FamilyDriversInstance();

// A fresh driver of the family whose flag is set; none while nothing is connected. Work on the
// connected controller goes through this, never through the driver that identified it.
std::shared_ptr<ControllerInterface> ConnectedDriver();

// Hooks the families' own state into AppState::ClearFamilyFlags.
void InstallFamilyStateClearing();

}  // namespace app
