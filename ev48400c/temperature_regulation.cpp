#include "ev48400c/temperature_regulation.h"

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

using C = TemperatureRegulation;

const std::array<WordField<C>, 7> C::kLayout = {{
    {4, &C::motorTempSensorType_},
    {6, &C::overTempMtCutback_},
    {8, &C::overTempMtZeroPw_},
    {10, &C::overTempCtCutback_},
    {12, &C::overTempCtZeroPw_},
    {14, &C::underTempCtCutback_},
    {16, &C::underTempCtZeroPw_},
}};

bool TemperatureRegulation::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("TemperatureRegulation: Invalid data");
        return false;
    }
    ReadFields(frame, *this, kLayout);
    return true;
}

Frame TemperatureRegulation::Serialize() const {
    Frame frame = NewFrame(GetId());
    WriteFields(frame, *this, kLayout);
    return SealFrame(std::move(frame), "TemperatureRegulation");
}

std::string TemperatureRegulation::Describe() const {
    return DescribeEntries(this, {&List(kTemperatureList)});
}

void TemperatureRegulation::BuildParamEntries() {
    const auto signedDegrees = [this](const EntryText& text, uint16_t C::*field) {
        return MakeEntry(this, text, ParamKind::Int16, DecimalGetter<int16_t>(field),
                         PlainSetter<int16_t>(field, text.key));
    };
    List(kTemperatureList) = {
        Enumerated(*this, {L"motorTempSensorType", L"Motor Temperature Sensor Type", L"", L"0", L"4"},
                   &C::motorTempSensorType_, kMotorTemperatureSensorTypeNames),
        PlainWord(*this,
                  {L"overTempMtCutback", L"Motor Over Temperature Cutback Power", L"\u00B0C", L"0", L"160"},
                  &C::overTempMtCutback_),
        PlainWord(*this,
                  {L"overTempMtZeroPw", L"Motor Over Temperature Zero Power", L"\u00B0C", L"0", L"160"},
                  &C::overTempMtZeroPw_),
        PlainWord(
            *this,
            {L"overTempCtCutback", L"Controller Over Temperature Cutback Power", L"\u00B0C", L"0", L"95"},
            &C::overTempCtCutback_),
        PlainWord(*this,
                  {L"overTempCtZeroPw", L"Controller Over Temperature Zero Power", L"\u00B0C", L"0", L"95"},
                  &C::overTempCtZeroPw_),
        signedDegrees(
            {L"underTempCtCutback", L"Controller Under Temperature Cutback Power", L"\u00B0C", L"-40", L"0"},
            &C::underTempCtCutback_),
        signedDegrees(
            {L"underTempCtZeroPw", L"Controller Under Temperature Zero Power", L"\u00B0C", L"-40", L"0"},
            &C::underTempCtZeroPw_),
    };
}

}  // namespace EV48400C
