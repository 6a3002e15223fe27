#include "tercel/motor.h"

#include "tercel/entry_lists.h"

namespace Tercel {

void Motor::BuildParamEntries() {
    List(kMotorList).clear();
}

}  // namespace Tercel
