// The controller operations behind the tuning page's Reset and Write buttons, per family. The page
// adds its warnings and wait cursor; the command line calls them directly.
#pragma once

#include "core/family.h"

namespace session {

// Reads every group of the connected family again and empties DirtyKeys. True when the controller
// answered every read.
bool ReadEverything(Family family);

// Writes the pending changes the family's way and empties DirtyKeys: EV48-400-C writes its tunable
// groups in order with a pause after each and reads everything back; FJ sends the changed
// parameters; Tercel the dirty registers. True when the controller confirmed every write. Logs
// "ERROR: Unknown Controller" for no family.
bool WritePendingChanges(Family family);

}  // namespace session
