#include "session/fault_rows.h"

#include "session/family_table.h"

namespace session {

FaultRows BuildFaultRows(Family family, const FaultDescriber& describe) {
    return Ops(family).faultRows(describe);
}

}  // namespace session
