#include "tercel/vehicle.h"

#include "tercel/entry_lists.h"
#include "tercel/register_entries.h"

namespace Tercel {

namespace {

constexpr ValueName kCanBaudRates[] = {{6, "125K"}, {8, "250K"}, {10, "500K"}, {12, "1M"}};

}  // namespace

std::string Vehicle::Describe() const {
    return DescribeEntries(this, {&List(kVehicleList)});
}

void Vehicle::BuildParamEntries() {
    auto canBaud = ShownEntry(this, {3362, L"3.14.01 : CAN Baud", ParamKind::Text, L"bps"},
                              MappedGetter(3362, kCanBaudRates));
    canBaud.minValue = L"125K";
    canBaud.maxValue = FixedMax(L"1M");
    List(kVehicleList) = {
        EditableEntry(this, {2430, L"3.03.01 : Forward Motor Configuration", ParamKind::UInt16, L""}, L"0",
                      FixedMax(L"1"), RawGetter(2430), RawSetter(2430)),
        EditableEntry(this, {2432, L"3.03.03 : Gear Ratio", ParamKind::Float, L""}, L"1.0",
                      FixedMax(L"100.0"), ScaledGetter(2432, 10.0, 1), ScaledSetter(2432, 10.0f)),
        EditableEntry(this, {2434, L"3.03.04 : Tire Diameter", ParamKind::Float, L"M"}, L"0.01",
                      FixedMax(L"2.0"), ScaledGetter(2434, 1000.0, 2), ScaledSetter(2434, 1000.0f)),
        std::move(canBaud),
    };
}

}  // namespace Tercel
