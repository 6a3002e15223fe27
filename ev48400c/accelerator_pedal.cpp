#include "ev48400c/accelerator_pedal.h"

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

using C = AcceleratorPedal;

const std::array<WordField<C>, 19> C::kLayout = {{
    {4, &C::signalType_},
    {6, &C::maxVoltage_},
    {8, &C::minVoltage_},
    {10, &C::backwardAcceleration_},
    {12, &C::backwardDeceleration_},
    {14, &C::forwardAcceleration500_},
    {16, &C::forwardAcceleration1000_},
    {18, &C::forwardAcceleration2000_},
    {20, &C::forwardAcceleration3000_},
    {22, &C::forwardAcceleration4000_},
    {24, &C::forwardAcceleration5000_},
    {26, &C::forwardAcceleration6000_},
    {28, &C::forwardDeceleration500_},
    {30, &C::forwardDeceleration1000_},
    {32, &C::forwardDeceleration2000_},
    {34, &C::forwardDeceleration3000_},
    {36, &C::forwardDeceleration4000_},
    {38, &C::forwardDeceleration5000_},
    {40, &C::forwardDeceleration6000_},
}};

bool AcceleratorPedal::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("AcceleratorPedal: Invalid data");
        return false;
    }
    ReadFields(frame, *this, kLayout);
    return true;
}

Frame AcceleratorPedal::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kLayout);
    return SealFrame(std::move(frame), "AcceleratorPedal");
}

std::string AcceleratorPedal::Describe() const {
    return DescribeEntries(this, {&List(kAcceleratorList), &List(kAccelerationList)});
}

void AcceleratorPedal::BuildParamEntries() {
    List(kAcceleratorList) = {
        Enumerated(*this, {L"AcceleratorPedalSigType", L"Accelerator Pedal Signal Type", L"", L"0", L"4"},
                   &C::signalType_, kAcceleratorPedalSigTypeNames, true),
        ScaledWord(*this, {L"Accelerator_MinValue_V", L"Accelerator Min Value", L"V", L"0", L"2.0"},
                   ParamKind::UInt16, &C::minVoltage_, 0.01, 1),
        ScaledWord(*this, {L"Accelerator_MaxValue_V", L"Accelerator Max Value", L"V", L"2.0", L"5.0"},
                   ParamKind::UInt16, &C::maxVoltage_, 0.01, 1),
    };
    const auto rate = [this](const wchar_t* key, const wchar_t* label, uint16_t C::*field) {
        return PlainWord(*this, {key, label, L"RPM/S", L"0", L"100"}, field);
    };
    List(kAccelerationList) = {
        rate(L"ForwardAcceleration500", L"Forward Acceleration 0->500 RPM", &C::forwardAcceleration500_),
        rate(L"ForwardAcceleration1000", L"Forward Acceleration 500->1000 RPM", &C::forwardAcceleration1000_),
        rate(L"ForwardAcceleration2000", L"Forward Acceleration 1000->2000 RPM",
             &C::forwardAcceleration2000_),
        rate(L"ForwardAcceleration3000", L"Forward Acceleration 2000->3000 RPM",
             &C::forwardAcceleration3000_),
        rate(L"ForwardAcceleration4000", L"Forward Acceleration 3000->4000 RPM",
             &C::forwardAcceleration4000_),
        rate(L"ForwardAcceleration5000", L"Forward Acceleration 4000->5000 RPM",
             &C::forwardAcceleration5000_),
        rate(L"ForwardAcceleration6000", L"Forward Acceleration 5000->MAX RPM", &C::forwardAcceleration6000_),
        rate(L"ForwardDeceleration6000", L"Forward Deceleration MAX->5000 RPM", &C::forwardDeceleration6000_),
        rate(L"ForwardDeceleration5000", L"Forward Deceleration 5000->4000 RPM",
             &C::forwardDeceleration5000_),
        rate(L"ForwardDeceleration4000", L"Forward Deceleration 4000->3000 RPM",
             &C::forwardDeceleration4000_),
        rate(L"ForwardDeceleration3000", L"Forward Deceleration 3000->2000 RPM",
             &C::forwardDeceleration3000_),
        rate(L"ForwardDeceleration2000", L"Forward Deceleration 2000->1000 RPM",
             &C::forwardDeceleration2000_),
        rate(L"ForwardDeceleration1000", L"Forward Deceleration 1000->500 RPM", &C::forwardDeceleration1000_),
        rate(L"ForwardDeceleration500", L"Forward Deceleration 500->0 RPM", &C::forwardDeceleration500_),
        rate(L"BackwardAcceleration", L"Reverse Acceleration", &C::backwardAcceleration_),
        rate(L"BackwardDeceleration", L"Reverse Deceleration", &C::backwardDeceleration_),
    };
}

}  // namespace EV48400C
