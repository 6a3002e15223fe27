#include "ev48400c/hill_control.h"

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

using C = HillControl;

namespace {
constexpr uint16_t kMaxSlideSpeed = 600;
}

const std::array<WordField<C>, 4> C::kLayout = {{
    {4, &C::mode_},
    {6, &C::slideMaxMotorSpeed_},
    {8, &C::slideKp_},
    {10, &C::slideKi_},
}};

bool HillControl::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("HillControl: Invalid data");
        return false;
    }
    ReadFields(frame, *this, kLayout);
    return true;
}

Frame HillControl::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kLayout);
    return SealFrame(std::move(frame), "HillControl");
}

std::string HillControl::Describe() const {
    return DescribeEntries(this, {&List(kHillControlList)});
}

void HillControl::BuildParamEntries() {
    List(kHillControlList) = {
        Enumerated(*this, {L"HillControlMode", L"Hill Hold Mode", L"", L"0", L"2"}, &C::mode_,
                   kHillControlModeNames),
        PlainWord(*this, {L"Slide_MaxMotorSpeed", L"Slide Max Motor Speed", L"RPM", L"0", L"600"},
                  &C::slideMaxMotorSpeed_, kMaxSlideSpeed),
        // Three decimals: with fewer, a gain typed as 0.25 would read back as 0.
        ScaledWord(*this, {L"Slide_Kp", L"Slide Kp on the Slope", L"", L"0.0", L"10.0"}, ParamKind::Float,
                   &C::slideKp_, 0.001, 3),
        ScaledWord(*this, {L"Slide_Ki", L"Slide Ki on the Slope", L"", L"0.0", L"1.0"}, ParamKind::Float,
                   &C::slideKi_, 0.001, 2),
    };
}

}  // namespace EV48400C
