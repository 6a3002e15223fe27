#include "fj/value_table.h"

namespace FJ {

FjValueTable& FjValueTable::Instance() {
    static FjValueTable table;
    return table;
}

uint16_t FjValueTable::Get(uint8_t group, uint8_t index) const {
    return Contains(group, index) ? values_[group * kIndexCount + index] : 0;
}

bool FjValueTable::Set(uint8_t group, uint8_t index, uint16_t value) {
    if (!Contains(group, index)) return false;
    values_[group * kIndexCount + index] = value;
    return true;
}

void FjValueTable::MarkRead(uint8_t group, uint8_t index) {
    if (Contains(group, index)) read_.set(group * kIndexCount + index);
}

bool FjValueTable::WasRead(uint8_t group, uint8_t index) const {
    return Contains(group, index) && read_.test(group * kIndexCount + index);
}

}  // namespace FJ
