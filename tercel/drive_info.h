// Software and hardware identifiers of the controller, shown only.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "tercel/register_block.h"

namespace Tercel {

class DriveInfo : public RegisterBlock<DriveInfo> {
public:
    static constexpr std::array<uint16_t, 8> kReadList = {122, 124, 126, 128, 130, 132, 134, 136};

    std::string GetName() const override { return "DriveInfo"; }
    std::string Describe() const override;
    void BuildParamEntries();
};

}  // namespace Tercel
