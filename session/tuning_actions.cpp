#include "session/tuning_actions.h"

#include "core/param_registry.h"
#include "session/family_table.h"

namespace session {

bool ReadEverything(Family family) {
    const bool answered = Ops(family).readAll();
    DirtyKeys().clear();
    return answered;
}

bool WritePendingChanges(Family family) {
    const bool confirmed = Ops(family).writeChanges();
    DirtyKeys().clear();
    return confirmed;
}

}  // namespace session
