// The fault records the controller keeps, as views of FjValueTable: nine current records of level,
// code and data from group 0D, ten historical records of level, code, times and data from group 0E.
#pragma once

#include <cstdint>
#include <vector>

namespace FJ {

enum class FaultTable { Current, Historical };

struct FaultRecord {
    int number;  // position in the controller's table, from 1
    uint16_t level;
    uint16_t code;
    uint16_t times;  // historical records only; 0 for current ones
    uint16_t data;
};

inline constexpr int kCurrentFaultRecords = 9;
inline constexpr int kHistoricalFaultRecords = 10;

// The records of the table that hold a fault (level not 0), in table order. Numbers keep their table
// position, so they may skip.
std::vector<FaultRecord> FaultRecords(FaultTable table);

}  // namespace FJ
