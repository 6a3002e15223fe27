// The controller's scaling and hardware configuration, shown only. Registers 2 and 4 are the voltage
// and current scales the other blocks convert with.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tercel/register_block.h"

namespace Tercel {

class Config : public RegisterBlock<Config> {
public:
    static constexpr std::array<uint16_t, 12> kReadList = {2, 4, 6, 12, 14, 20, 24, 26, 28, 132, 138, 122};

    std::string GetName() const override { return "Config"; }
    std::string Describe() const override;
    void BuildParamEntries();
};

}  // namespace Tercel
