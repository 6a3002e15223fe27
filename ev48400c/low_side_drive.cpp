#include "ev48400c/low_side_drive.h"

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

using C = LowSideDrive;

const std::array<WordField<C>, 9> C::kLayout = {{
    {4, &C::mainRelayEnable_},
    {6, &C::elecBrakeEnable_},
    {8, &C::speedFretEnable_},
    {10, &C::mainRelayPullinVolt_},
    {12, &C::mainRelayPullinTime_},
    {14, &C::mainRelayKeepVolt_},
    {16, &C::elecBrakePullinVolt_},
    {18, &C::elecBrakePullinTime_},
    {20, &C::elecBrakeKeepVolt_},
}};

bool LowSideDrive::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("LowSideDrive: Invalid data");
        return false;
    }
    ReadFields(frame, *this, kLayout);
    return true;
}

Frame LowSideDrive::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kLayout);
    return SealFrame(std::move(frame), "LowSideDrive");
}

std::string LowSideDrive::Describe() const {
    return DescribeEntries(this, {&List(kLowSideDriveList)});
}

void LowSideDrive::BuildParamEntries() {
    // The technician types volts and seconds as shown; the controller keeps tenths. One decimal, so
    // that 12.5 V reads back as typed rather than rounded to a whole volt.
    const auto tenths = [this](const EntryText& text, uint16_t C::*field) {
        return ScaledWord(*this, text, ParamKind::UInt16, field, 0.1, 1);
    };
    List(kLowSideDriveList) = {
        Enumerated(*this, {L"mainRelayEnable", L"Main Relay Enable", L"", L"0", L"1"}, &C::mainRelayEnable_,
                   kEnableNames),
        Enumerated(*this, {L"elecBrakeEnable", L"Electric Brake Enable", L"", L"0", L"1"},
                   &C::elecBrakeEnable_, kEnableNames),
        Enumerated(*this, {L"speedFretEnable", L"Speed Frequency Enable", L"", L"0", L"1"},
                   &C::speedFretEnable_, kEnableNames),
        tenths({L"mainRelayPullinVolt", L"Main Relay Pull-in Voltage", L"V", L"0", L"65"},
               &C::mainRelayPullinVolt_),
        tenths({L"mainRelayPullinTime", L"Main Relay Pull-in Time", L"Sec", L"0", L"10"},
               &C::mainRelayPullinTime_),
        tenths({L"mainRelayKeepVolt", L"Main Relay Keep Voltage", L"V", L"0", L"65"}, &C::mainRelayKeepVolt_),
        tenths({L"elecBrakePullinVolt", L"Electric Brake Pull-in Voltage", L"V", L"0", L"65"},
               &C::elecBrakePullinVolt_),
        tenths({L"elecBrakePullinTime", L"Electric Brake Pull-in Time", L"Sec", L"0", L"10"},
               &C::elecBrakePullinTime_),
        tenths({L"elecBrakeKeepVolt", L"Electric Brake Keep Voltage", L"V", L"0", L"65"},
               &C::elecBrakeKeepVolt_),
    };
}

}  // namespace EV48400C
