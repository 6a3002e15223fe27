#include "tercel/speed_control.h"

#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/register_entries.h"

namespace Tercel {

std::string SpeedControl::Describe() const {
    return DescribeEntries(this, {&List(kSpeedLimitList)});
}

void SpeedControl::BuildParamEntries() {
    const auto rpm = [this](uint16_t address, const wchar_t* label) {
        return EditableEntry(this, {address, label, ParamKind::UInt16, L"RPM"}, L"0", MotorMaxRpm(),
                             RawGetter(address), RawSetter(address));
    };
    const auto kmh = [this](uint16_t address, const wchar_t* label) {
        return EditableEntry(this, {address, label, ParamKind::UInt16, L"KMH"}, L"0.0", FixedMax(L"100.0"),
                             ScaledGetter(address, 10.0, 1), ScaledSetter(address, 10.0f));
    };
    const auto amps = [this](uint16_t address, const wchar_t* label, ParamKind kind = ParamKind::UInt16) {
        return EditableEntry(this, {address, label, kind, L"A"}, L"0.0", FixedMax(L"450.0"),
                             AmpsGetter(address), AmpsSetter(address));
    };
    const auto seconds = [this](uint16_t address, const wchar_t* label) {
        return EditableEntry(this, {address, label, ParamKind::Float, L"s"}, L"0.1", FixedMax(L"30.0"),
                             ScaledGetter(address, 1000.0, 1), ScaledSetter(address, 1000.0f));
    };
    const auto mode = [this] {
        return EditableEntry(
            this, {kSpeedResponseModeRegister, L"6.02.01 : Speed Response Mode", ParamKind::UInt16, L""},
            L"0", FixedMax(L"1"), RawGetter(kSpeedResponseModeRegister),
            RawSetter(kSpeedResponseModeRegister));
    };

    List(kSpeedLimitList) = {
        EditableEntry(this, {kMotorMaxRpmRegister, L"2.01.09 : Motor Maximum RPM", ParamKind::UInt16, L"RPM"},
                      L"0", FixedMax(L"10000"), RawGetter(kMotorMaxRpmRegister),
                      RawSetter(kMotorMaxRpmRegister)),
        kmh(2754, L"3.02.01 : High Speed - Forward Max KM/H"),
        kmh(3378, L"3.02.05 : Low Speed - Forward Max KM/H"),
        kmh(2756, L"3.02.02 : High Speed - Reverse Max KM/H"),
        kmh(3380, L"3.02.06 : Low Speed - Reverse Max KM/H"),
    };
    List(kMotorSpeedList) = {
        rpm(kForwardMaxRpmRegister, L"6.01.01 : High Speed - Forward Max RPM"),
        rpm(2590, L"6.01.05 : Low Speed - Forward Max RPM"),
        rpm(2588, L"6.01.02 : High Speed - Reverse Max RPM"),
        rpm(2592, L"6.01.06 : Low Speed - Reverse Max RPM"),
        rpm(3128, L"Base Speed 0 RPM"),
        rpm(3130, L"Base Speed 1 RPM"),
        rpm(3132, L"Base Speed 2 RPM"),
        rpm(3134, L"Base Speed 3 RPM"),
        rpm(3136, L"Base Speed 4 RPM"),
        rpm(3138, L"Base Speed 5 RPM"),
    };
    List(kCurrentLimitList) = {
        amps(3140, L"Current Limit @ 0 RPM to Base Speed 0"),
        amps(3142, L"Current Limit @ Base Speed 0 to 1", ParamKind::Float),
        amps(3144, L"Current Limit @ Base Speed 1 to 2"),
        amps(3146, L"Current Limit @ Base Speed 2 to 3"),
        amps(3148, L"Current Limit @ Base Speed 3 to 4"),
        amps(3150, L"Current Limit @ Base Speed 4 to 5"),
    };
    List(kAccelerationMode0List) = {
        mode(),
        seconds(2604, L"6.02.06 : Forward Acceleration Partial Pedal"),
        seconds(2616, L"6.02.12 : Reverse Acceleration Partial Pedal"),
    };
    List(kAccelerationMode1List) = {
        mode(),
        rpm(2596, L"6.02.02 : High Point"),
        rpm(2598, L"6.02.03 : Low Point"),
        seconds(2600, L"6.02.04 : High Speed - Forward Full Pedal"),
        seconds(2602, L"6.02.05 : Low Speed - Forward Full Pedal"),
        seconds(2604, L"6.02.06 : Forward Acceleration Partial Pedal"),
        seconds(2612, L"6.02.10 : High Speed - Reverse Full Pedal"),
        seconds(2614, L"6.02.11 : Low Speed - Reverse Full Pedal"),
        seconds(2616, L"6.02.12 : Reverse Acceleration Partial Pedal"),
    };
}

const EntryList* ShownAccelerationList() {
    switch (Registers()[kSpeedResponseModeRegister]) {
        case 0:
            return &List(kAccelerationMode0List);
        case 1:
            return &List(kAccelerationMode1List);
        default:
            return nullptr;
    }
}

}  // namespace Tercel
