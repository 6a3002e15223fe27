#include "ev48400c/motor_parameters.h"

#include <algorithm>

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

using C = MotorParameters;

namespace {
constexpr uint16_t kMaxPeakSpeed = 8000;
constexpr uint16_t kMaxPeakPower = 14000;
// Tighter than the entry's upper limit: a value the range admits above it is stored as this.
constexpr uint16_t kMaxPeakTorque = 60;
}  // namespace

const std::array<WordField<C>, 19> C::kLayout = {{
    {4, &C::reserved4_},
    {6, &C::reserved6_},
    {8, &C::reserved8_},
    {10, &C::motorPeakSpeed_},
    {12, &C::motorPeakPower_},
    {14, &C::motorPeakTorque_},
    {16, &C::eleTorque0To500_},
    {18, &C::eleTorque500To1000_},
    {20, &C::eleTorque1000To1500_},
    {22, &C::eleTorque1500To2000_},
    {24, &C::eleTorque2000To2500_},
    {26, &C::eleTorque2500To3000_},
    {28, &C::eleTorque3000ToMax_},
    {30, &C::genTorque0To1000_},
    {32, &C::genTorque1000To2000_},
    {34, &C::genTorque2000To3000_},
    {36, &C::genTorque3000To4000_},
    {38, &C::genTorque4000To5000_},
    {40, &C::genTorque5000ToMax_},
}};

bool MotorParameters::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("MotorParameters: Invalid data");
        return false;
    }
    ReadFields(frame, *this, kLayout);
    return true;
}

Frame MotorParameters::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kLayout);
    return SealFrame(std::move(frame), "MotorParameters");
}

std::string MotorParameters::Describe() const {
    return DescribeEntries(this, {&List(kMotorSpeedList), &List(kMotorTorqueList), &List(kMotorPowerList)});
}

void MotorParameters::SetMotorPeakSpeed(uint16_t rpm) {
    motorPeakSpeed_ = std::min(rpm, kMaxPeakSpeed);
    Diagnostic("[MotorParameters] MotorPeakSpeed set to " + std::to_string(motorPeakSpeed_) + " rpm");
}

void MotorParameters::SetMotorPeakPower(uint16_t watts) {
    motorPeakPower_ = std::min(watts, kMaxPeakPower);
    Diagnostic("[MotorParameters] MotorPeakPower set to " + std::to_string(motorPeakPower_) + " W");
}

void MotorParameters::SetMotorPeakTorque(uint16_t newtonMetres) {
    motorPeakTorque_ = std::min(newtonMetres, kMaxPeakTorque);
    Diagnostic("[MotorParameters] MotorPeakTorque set to " + std::to_string(motorPeakTorque_) + " Nm");
}

void MotorParameters::BuildParamEntries() {
    const auto clamped = [this](const EntryText& text, uint16_t C::*field, void (C::*set)(uint16_t)) {
        return MakeEntry(this, text, ParamKind::UInt16, DecimalGetter<uint16_t>(field), makeSetter(set));
    };
    const auto factor = [this](const wchar_t* key, const wchar_t* label, uint16_t C::*field) {
        return PlainWord(*this, {key, label, L"%", L"0", L"100"}, field);
    };
    List(kMotorSpeedList) = {
        clamped({L"motorPeakSpeed", L"Motor Maximum Speed", L"RPM", L"0", L"8000"}, &C::motorPeakSpeed_,
                &C::SetMotorPeakSpeed),
    };
    List(kMotorTorqueList) = {
        factor(L"eleTorque_0_500", L"Driving Torque Factor 0->500 RPM", &C::eleTorque0To500_),
        factor(L"eleTorque_500_1000", L"Driving Torque Factor 500->1000 RPM", &C::eleTorque500To1000_),
        factor(L"eleTorque_1000_1500", L"Driving Torque Factor 1000->1500 RPM", &C::eleTorque1000To1500_),
        factor(L"eleTorque_1500_2000", L"Driving Torque Factor 1500->2000 RPM", &C::eleTorque1500To2000_),
        factor(L"eleTorque_2000_2500", L"Driving Torque Factor 2000->2500 RPM", &C::eleTorque2000To2500_),
        factor(L"eleTorque_2500_3000", L"Driving Torque Factor 2500->3000 RPM", &C::eleTorque2500To3000_),
        factor(L"eleTorque_3000_max", L"Driving Torque Factor 3000->MAX RPM", &C::eleTorque3000ToMax_),
        factor(L"genTorque_5000_max", L"Regenerative Torque Factor MAX->5000 RPM", &C::genTorque5000ToMax_),
        factor(L"genTorque_4000_5000", L"Regenerative Torque Factor 5000->4000 RPM",
               &C::genTorque4000To5000_),
        factor(L"genTorque_3000_4000", L"Regenerative Torque Factor 4000->3000 RPM",
               &C::genTorque3000To4000_),
        factor(L"genTorque_2000_3000", L"Regenerative Torque Factor 3000->2000 RPM",
               &C::genTorque2000To3000_),
        factor(L"genTorque_1000_2000", L"Regenerative Torque Factor 2000->1000 RPM",
               &C::genTorque1000To2000_),
        factor(L"genTorque_0_1000", L"Regenerative Torque Factor 1000->0 RPM", &C::genTorque0To1000_),
    };
    List(kMotorPowerList) = {
        clamped({L"motorPeakPower", L"Motor Maximum Power", L"W", L"0", L"14000"}, &C::motorPeakPower_,
                &C::SetMotorPeakPower),
        clamped({L"motorPeakTorque", L"Motor Maximum Torque", L"Nm", L"0", L"70"}, &C::motorPeakTorque_,
                &C::SetMotorPeakTorque),
    };
}

}  // namespace EV48400C
