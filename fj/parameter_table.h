// The FJ parameter entries: 93 addresses and the firmware release date, published in eight lists
// (plus a ninth the tuning page shows under its own heading and this family leaves empty). Values live
// in FjValueTable; each entry's getter and setter act on its address there.
#pragma once

#include <array>
#include <optional>
#include <string_view>

#include "core/param_entry.h"
#include "core/param_registry.h"

namespace FJ {

inline constexpr std::string_view kSpeedTuningList = "FJ Speed Tuning";
inline constexpr std::string_view kAcceleratorTuningList = "FJ Accelerator Tuning";
inline constexpr std::string_view kTorqueTuningList = "FJ Torque Tuning";
inline constexpr std::string_view kHillTuningList = "FJ Hill Tuning";
inline constexpr std::string_view kControllerRealTimeList = "FJ Controller Real-time";
inline constexpr std::string_view kBatteryRealTimeList = "FJ Battery Real-time";
inline constexpr std::string_view kControllerInfoList = "FJ Controller Info";
inline constexpr std::string_view kKitchenSinkList = "FJ Kitchen Sink";
inline constexpr std::string_view kGeneralList = "FJ General";

inline EntryList& List(std::string_view name) {
    return ParamRegistry::Instance().List(name);
}

// Replaces the content of the nine lists with the family's entries, in display order.
void BuildEntryLists();
// Empties the lists and puts every value of FjValueTable back to 0: nothing read.
void ResetFamily();

// Whether the controller gave the entry's value in this connection: for a "GG:II" key, whether its
// address was marked as read; for the firmware release date, whether its three addresses were. Any
// other entry answers true.
bool EntryWasRead(const ParamEntry& entry);

struct ValueRange {
    double low;
    double high;
};

// The numbers an edit of the entry may take. An enumeration whose limits are option names takes the
// first to the last option of its table; other entries their min and max texts read as numbers.
// Nothing for an entry without numeric limits (text, identification).
std::optional<ValueRange> NumericRange(const ParamEntry& entry);

}  // namespace FJ
