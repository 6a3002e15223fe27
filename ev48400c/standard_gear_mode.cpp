#include "ev48400c/standard_gear_mode.h"

#include <algorithm>

#include "core/log.h"
#include "core/param_registry.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"
#include "ev48400c/message_store.h"

namespace EV48400C {

using C = StandardGearMode;

namespace {
constexpr uint16_t kMaxGearSpeed = 8000;
}

const std::array<WordField<C>, 5> C::kWords = {{
    {4, &C::forwardHighMaxSpeed_},
    {6, &C::forwardSlowMaxSpeed_},
    {8, &C::reverseMaxSpeed_},
    {10, &C::speedLoopKp_},
    {12, &C::speedLoopKi_},
}};

const std::array<ByteField<C>, 3> C::kBytes = {{
    {14, &C::reserved14_},
    {16, &C::reserved16_},
    {20, &C::canBaudrate_},
}};

bool StandardGearMode::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("StandardGearMode: Invalid data");
        return false;
    }
    ReadFields(frame, *this, kWords);
    ReadFields(frame, *this, kBytes);
    return true;
}

Frame StandardGearMode::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kWords);
    WriteFields(frame, *this, kBytes);
    return SealFrame(std::move(frame), "StandardGearMode");
}

std::string StandardGearMode::Describe() const {
    return DescribeEntries(this, {&List(kGearSpeedList), &List(kSpeedLoopList)});
}

void StandardGearMode::LimitSpeeds(uint16_t motorPeakSpeed) {
    const struct {
        const wchar_t* key;
        uint16_t C::*field;
    } speeds[] = {
        {L"FWD_GearH_MaxSpeed", &C::forwardHighMaxSpeed_},
        {L"FWD_GearS_MaxSpeed", &C::forwardSlowMaxSpeed_},
        {L"BKD_MaxSpeed", &C::reverseMaxSpeed_},
    };
    for (const auto& speed : speeds) {
        uint16_t& value = this->*speed.field;
        if (value <= motorPeakSpeed) continue;
        value = std::min(motorPeakSpeed, kMaxGearSpeed);
        Diagnostic("DEBUG: " + text::WideToUtf8(speed.key) + " = " + std::to_string(value));
        DirtyKeys().insert(speed.key);
    }
}

void StandardGearMode::BuildParamEntries() {
    // No gear may outrun the motor. Until the motor parameters have been read the limit is unknown,
    // and an empty maximum lets no positive speed through.
    const ParamMaxFunction motorPeakSpeed = makeWStringGetter<C>([](C*) {
        const auto& motor = Messages().motorParameters;
        return motor ? std::to_wstring(motor->MotorPeakSpeed()) : std::wstring();
    });
    const auto speed = [&](const EntryText& text, uint16_t C::*field) {
        ParamEntry entry = PlainWord(*this, text, field, kMaxGearSpeed);
        entry.maxValue = motorPeakSpeed;
        return entry;
    };
    List(kGearSpeedList) = {
        speed({L"FWD_GearH_MaxSpeed", L"Forward High Gear Max Speed", L"RPM", L"0", L""},
              &C::forwardHighMaxSpeed_),
        speed({L"FWD_GearS_MaxSpeed", L"Forward Slow Gear Max Speed", L"RPM", L"0", L""},
              &C::forwardSlowMaxSpeed_),
        speed({L"BKD_MaxSpeed", L"Reverse Max Speed", L"RPM", L"0", L""}, &C::reverseMaxSpeed_),
    };
    List(kSpeedLoopList) = {
        ScaledWord(*this, {L"SpeedLoopKp", L"Speed Loop Kp", L"", L"0.0", L"10.0"}, ParamKind::Float,
                   &C::speedLoopKp_, 0.001, 2),
        ScaledWord(*this, {L"SpeedLoopKi", L"Speed Loop Ki", L"", L"0.0", L"1.0"}, ParamKind::UInt16,
                   &C::speedLoopKi_, 0.001, 3),
        Enumerated(*this, {L"CANBaudrate", L"CAN Baudrate", L"", L"0", L"10"}, &C::canBaudrate_,
                   kCANBaudrateNames),
    };
}

}  // namespace EV48400C
