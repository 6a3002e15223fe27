// What the Tercel family keeps for the whole process: the register map, the current identity and one
// object per register block.
//
// The entry lists point at these objects, so each is made once and then kept: a fresh identity is
// taken into the existing object, and a block is read again in place.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>

#include "core/imessage.h"

namespace Tercel {

class GetInfo;
class Config;
class DriveInfo;
class Motor;
class SpeedControl;
class Vehicle;

// Register address to register value. Reads fill it, setters change it, writes send from it; an
// address never read reads as 0.
using RegisterMap = std::unordered_map<uint16_t, uint16_t>;
RegisterMap& Registers();

struct FamilyObjects {
    std::shared_ptr<GetInfo> identity;  // none until the first identity response checks out
    std::shared_ptr<Config> config;
    std::shared_ptr<DriveInfo> driveInfo;
    std::shared_ptr<Motor> motor;
    std::shared_ptr<SpeedControl> speedControl;
    std::shared_ptr<Vehicle> vehicle;
};
FamilyObjects& Objects();

// Takes a 39-byte identity response as the current identity when it checks out, and republishes the
// identity list. A frame that fails its check leaves the identity and its entries as they were.
bool TakeIdentity(const Frame& frame);

// Empties the family's lists, forgets its objects and empties the register map, in that order, so that
// no entry is left pointing at an object that is gone.
void ResetFamily();

}  // namespace Tercel
