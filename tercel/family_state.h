// What the Tercel family keeps for the whole process: the register map, the current identity and one
// object per register block.
//
// The entry lists point at these objects, so each is made once and then kept: a fresh identity is
// taken into the existing object, and a block is read again in place.
#pragma once

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <unordered_set>

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

// What the controller gave in this connection.
struct ConnectionMarks {
    std::unordered_set<uint16_t> registersRead;  // registers whose read answer was taken
    bool identityRead = false;                   // an identity answer of the controller was taken
    // That identity's last byte was the command sum: the controller seals its answers as the PC
    // seals its commands, so an answer whose last byte is not that sum was damaged on the way.
    bool sealedWithCommandSum = false;
    bool unknownCheckByteLogged = false;  // the line saying answers carry a check byte we do not know
};
ConnectionMarks& Marks();

void MarkRegisterRead(uint16_t address);
bool RegisterWasRead(uint16_t address);

// Takes a 39-byte identity response as the current identity when it checks out, and republishes the
// identity list. A frame that fails its check leaves the identity and its entries as they were.
bool TakeIdentity(const Frame& frame);

// Empties the family's lists, forgets its objects, empties the register map and forgets what the
// controller gave, in that order, so that no entry is left pointing at an object that is gone.
void ResetFamily();

}  // namespace Tercel
