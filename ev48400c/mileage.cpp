#include "ev48400c/mileage.h"

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

using C = Mileage;

const std::array<WordField<C>, 2> C::kLayout = {{
    {6, &C::tireDiameter_},
    {8, &C::reductionRatio_},
}};

bool Mileage::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("Mileage: Invalidate data");
        return false;
    }
    ReadFields(frame, *this, kLayout);
    return true;
}

Frame Mileage::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kLayout);
    return SealFrame(std::move(frame), "Mileage");
}

std::string Mileage::Describe() const {
    return DescribeEntries(this, {&List(kMileageList)});
}

void Mileage::BuildParamEntries() {
    List(kMileageList) = {
        ScaledWord(*this, {L"VehicleSpeedRatio", L"Reduction Ratio", L"", L"0.0", L"1000.0"},
                   ParamKind::Float, &C::reductionRatio_, 0.1, 1),
        PlainWord(*this, {L"VehicleTireRadius", L"Tire Diameter", L"mm", L"0", L"1000"}, &C::tireDiameter_),
    };
}

}  // namespace EV48400C
