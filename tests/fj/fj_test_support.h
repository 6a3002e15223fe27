// Shared pieces of the FJ tests: the family's lists and entry lookups by key.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/param_registry.h"
#include "core/text.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"

namespace fjtest {

using Packet = std::vector<uint8_t>;

inline const std::string_view kAllLists[] = {
    FJ::kSpeedTuningList,    FJ::kAcceleratorTuningList,  FJ::kTorqueTuningList,
    FJ::kHillTuningList,     FJ::kControllerRealTimeList, FJ::kBatteryRealTimeList,
    FJ::kControllerInfoList, FJ::kKitchenSinkList,        FJ::kGeneralList};

inline const ParamEntry& Entry(const std::wstring& key) {
    for (const auto name : kAllLists)
        for (const auto& entry : FJ::List(name))
            if (entry.key == key) return entry;
    throw std::out_of_range("no entry " + text::WideToUtf8(key));
}

inline std::string Shown(const std::wstring& key) {
    const auto& entry = Entry(key);
    return entry.getter(entry.owner);
}

}  // namespace fjtest
