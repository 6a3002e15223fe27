// The motor's maximum speed alone. It publishes nothing: the speed-limit list shows the register.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tercel/register_block.h"

namespace Tercel {

class Motor : public RegisterBlock<Motor> {
public:
    static constexpr std::array<uint16_t, 1> kReadList = {2878};

    std::string GetName() const override { return "Motor"; }
    std::string Describe() const override { return {}; }
    void BuildParamEntries();
};

}  // namespace Tercel
