// Drive line and bus settings.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tercel/register_block.h"

namespace Tercel {

class Vehicle : public RegisterBlock<Vehicle> {
public:
    // 2430 is read with the others: shown and editable, it would otherwise show 0 and a backup would
    // carry that 0 back to the controller.
    static constexpr std::array<uint16_t, 4> kReadList = {2430, 2432, 2434, 3362};

    std::string GetName() const override { return "Vehicle"; }
    std::string Describe() const override;
    void BuildParamEntries();
};

}  // namespace Tercel
