// Speed limits, motor and base speeds, current limits and acceleration: the registers a technician
// tunes. Which acceleration list the page shows depends on the speed response mode (register 2594).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/param_entry.h"
#include "tercel/register_block.h"

namespace Tercel {

class SpeedControl : public RegisterBlock<SpeedControl> {
public:
    static constexpr std::array<uint16_t, 30> kReadList = {
        2878, 2586, 2588, 2590, 2592, 2754, 2756, 3378, 3380, 3128, 3130, 3132, 3134, 3136, 3138,
        3140, 3142, 3144, 3146, 3148, 3150, 2594, 2596, 2598, 2600, 2602, 2604, 2612, 2614, 2616};

    std::string GetName() const override { return "SpeedControl"; }
    // The speed limits only.
    std::string Describe() const override;
    void BuildParamEntries();
};

// The acceleration list for the speed response mode the controller holds; none for a mode other than
// 0 or 1.
const EntryList* ShownAccelerationList();

}  // namespace Tercel
