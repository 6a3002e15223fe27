#include "fj/fault_records.h"

#include "fj/value_table.h"

namespace FJ {

namespace {

constexpr uint8_t kCurrentGroup = 0x0D;
constexpr uint8_t kCurrentFirstIndex = 0x03;
constexpr uint8_t kCurrentRecordWords = 3;
constexpr uint8_t kHistoricalGroup = 0x0E;
constexpr uint8_t kHistoricalFirstIndex = 0x0D;
constexpr uint8_t kHistoricalRecordWords = 4;

}  // namespace

std::vector<FaultRecord> FaultRecords(FaultTable table) {
    const auto& values = FjValueTable::Instance();
    const bool current = table == FaultTable::Current;
    const uint8_t group = current ? kCurrentGroup : kHistoricalGroup;
    const uint8_t words = current ? kCurrentRecordWords : kHistoricalRecordWords;
    const uint8_t first = current ? kCurrentFirstIndex : kHistoricalFirstIndex;
    const int count = current ? kCurrentFaultRecords : kHistoricalFaultRecords;

    std::vector<FaultRecord> records;
    for (int number = 1; number <= count; ++number) {
        const auto start = static_cast<uint8_t>(first + words * (number - 1));
        auto at = [&](int offset) { return values.Get(group, static_cast<uint8_t>(start + offset)); };
        const FaultRecord record = current ? FaultRecord{number, at(0), at(1), 0, at(2)}
                                           : FaultRecord{number, at(0), at(1), at(2), at(3)};
        if (record.level != 0) records.push_back(record);
    }
    return records;
}

}  // namespace FJ
