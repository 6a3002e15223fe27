// What the five register blocks share: the response check, the read of their register list and the
// republishing of their entries. Each block names its registers (kReadList) and builds its entries.
#pragma once

#include <cstdint>
#include <string>

#include "core/imessage.h"
#include "core/log.h"
#include "tercel/command_codec.h"
#include "tercel/exchange.h"

namespace Tercel {

template <typename Block>
class RegisterBlock : public IMessage {
public:
    bool IsValid(const Frame& frame) const override { return ValidateResponse(frame); }
    uint8_t GetId() const override { return 0; }
    // The values live in the register map; a frame that checks out only republishes the entries.
    bool Parse(const Frame& frame) override {
        if (!IsValid(frame)) {
            Log(GetName() + ": Invalid data");
            return false;
        }
        Self().BuildParamEntries();
        return true;
    }
    // Registers are written one at a time from the register map; a block has no frame of its own.
    Frame Serialize() const override { return {}; }

    // Reads every register of the block in order, then republishes its entries. Registers that did not
    // answer keep their values, so the read as a whole never fails.
    bool Read() {
        ReadRegisters(Block::kReadList, GetName());
        Self().BuildParamEntries();
        return true;
    }

private:
    Block& Self() { return static_cast<Block&>(*this); }
};

}  // namespace Tercel
