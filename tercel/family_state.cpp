#include "tercel/family_state.h"

#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/entry_lists.h"
#include "tercel/get_info.h"
#include "tercel/motor.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"

namespace Tercel {

RegisterMap& Registers() {
    static RegisterMap registers;
    return registers;
}

FamilyObjects& Objects() {
    static FamilyObjects objects;
    return objects;
}

ConnectionMarks& Marks() {
    static ConnectionMarks marks;
    return marks;
}

void MarkRegisterRead(uint16_t address) {
    Marks().registersRead.insert(address);
}

bool RegisterWasRead(uint16_t address) {
    return Marks().registersRead.count(address) != 0;
}

bool TakeIdentity(const Frame& frame) {
    auto& identity = Objects().identity;
    // GetInfo::Parse checks the whole frame before it touches a field, so the long-lived object can
    // take the frame itself: a refused frame leaves it, and the entries pointing at it, as they were.
    if (identity) return identity->Parse(frame);
    auto fresh = std::make_shared<GetInfo>();
    if (!fresh->Parse(frame)) return false;
    identity = std::move(fresh);
    return true;
}

void ResetFamily() {
    for (const auto name :
         {kIdentityList, kConfigList, kDriveInfoList, kMotorList, kSpeedLimitList, kMotorSpeedList,
          kCurrentLimitList, kAccelerationMode0List, kAccelerationMode1List, kVehicleList})
        List(name).clear();
    Objects() = FamilyObjects{};
    Registers().clear();
    Marks() = ConnectionMarks{};
}

}  // namespace Tercel
