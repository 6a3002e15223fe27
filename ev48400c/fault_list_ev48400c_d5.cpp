#include "ev48400c/fault_list_ev48400c_d5.h"

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

namespace {

struct Fault {
    uint8_t code;
    const wchar_t* label;
    const char* name;  // as the description lists it
};

// In flag order: flag k is bit k % 8 of payload byte k / 8.
constexpr std::array<Fault, FaultListEV48400CD5::kFaultCount> kFaults = {{
    {1, L"Severe Overvoltage", "SevereOvervoltage"},
    {5, L"Parameter Change Fault", "ParameterChangeFault"},
    {6, L"Severe Undervoltage", "SevereUndervoltage"},
    {7, L"Overvoltage Cutback", "OvervoltageCutback"},
    {8, L"Controller Overcurrent", "ControllerOvercurrent"},
    {11, L"Main Contactor Welded", "MainContactorWelded"},
    {12, L"Low S O C", "LowSOC"},
    {13, L"Motor Severe Over Temp", "MotorSevere_OverTemp"},
    {15, L"Current Sensor Fault", "CurrentSensorFault"},
    {17, L"Main Open Short", "MainOpenShort"},
    {20, L"Controller Overtemp Cutback", "ControllerOvertempCutback"},
    {37, L"Supply Failure5 V", "SupplyFailure5V"},
    {38, L"Supply Failure12 V", "SupplyFailure12V"},
    {39, L"Stall Detect", "StallDetect"},
    {43, L"EM Brake Short", "EMBrakeShort"},
    {47, L"EM Brake Open", "EMBrakeOpen"},
    {48, L"EM Brake Failed Set", "EMBrakeFailedSet"},
    {51, L"Controller Severe Undertemp", "ControllerSevereUndertemp"},
    {52, L"Controller Undertemp Cutback", "ControllerUndertempCutback"},
    {53, L"Undervoltage Cutback", "UndervoltageCutback"},
    {54, L"Motor Severe Over Speed", "MotorSevere_OverSpeed"},
    {55, L"Motor Open", "MotorOpen"},
    {56, L"UKSI Supply Out Of Range", "UKSISupplyOutOfRange"},
    {57, L"Main Contactor Did Not Close", "MainContactorDidNotClose"},
    {58, L"OS General", "OSGeneral"},
    {61, L"Motor Temp Hot Cutback", "MotorTempHotCutback"},
    {62, L"Direction Fault", "DirectionFault"},
    {66, L"Controller Severe Overtemp", "ControllerSevereOvertemp"},
    {71, L"Controller Temper Lost", "ControllerTemperLost"},
    {74, L"Encoder Fault", "EncoderFault"},
    {85, L"HPD Sequencing Fault", "HPDSequencingFault"},
    {92, L"Throttle Error", "ThrottleError"},
    {95, L"Motor Temp Sensor Short", "MotorTempSensorShort"},
    {97, L"Motor Temp Sensor Open", "MotorTempSensorOpen"},
    {98, L"Precharge Failure", "PrechargeFailure"},
    {101, L"Communication Loss", "CommunicationLoss"},
    {115, L"High Temp_discharge_alarm", "HighTemp_discharge_alarm"},
    {116, L"Low Temp_discharge_alarm", "LowTemp_discharge_alarm"},
    {120, L"Battery_overdischarge_alarm", "Battery_overdischarge_alarm"},
    {124, L"Cell_overdischarge_protection", "Cell_overdischarge_protection"},
    {125, L"Battery_overdischarge_protection", "Battery_overdischarge_protection"},
    {126, L"High Temp_discharge_protection", "HighTemp_discharge_protection"},
    {127, L"Low Temp_discharge_protection", "LowTemp_discharge_protection"},
    {132, L"Battery_overcharge_protection", "Battery_overcharge_protection"},
    {133, L"Discharge_overcurrent_protection", "Discharge_overcurrent_protection"},
    {159, L"Cell_overdischarge_alarm", "Cell_overdischarge_alarm"},
    {161, L"Battery_overcharge_alarm", "Battery_overcharge_alarm"},
    {167, L"Discharge_overcurrent_alarm", "Discharge_overcurrent_alarm"},
    {185, L"High Temp_charging Relay", "HighTemp_chargingRelay"},
    {189, L"High Temp_discharge Relay", "HighTemp_dischargeRelay"},
    {190, L"Cell_overcharge_protection", "Cell_overcharge_protection"},
    {191, L"Charging_overcurrent_protection", "Charging_overcurrent_protection"},
    {192, L"Low Temp_charging_protection", "LowTemp_charging_protection"},
    {193, L"High Temp_charging_protection", "HighTemp_charging_protection"},
    {194, L"High Temp_charging Relay_alarm", "HighTemp_chargingRelay_alarm"},
    {195, L"High Temp_discharge Relay_alarm", "HighTemp_dischargeRelay_alarm"},
    {196, L"Cell_overcharge_alarm", "Cell_overcharge_alarm"},
    {197, L"Charging_overcurrent_alarm", "Charging_overcurrent_alarm"},
    {198, L"Low Temp_charging_alarm", "LowTemp_charging_alarm"},
    {199, L"High Temp_charging_alarm", "HighTemp_charging_alarm"},
}};

constexpr size_t FlagByte(size_t flag) {
    return kPayloadStart + flag / 8;
}
constexpr uint8_t FlagMask(size_t flag) {
    return static_cast<uint8_t>(1u << (flag % 8));
}

}  // namespace

bool FaultListEV48400CD5::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("FaultListEV48400CD5: Invalid data");
        return false;
    }
    for (size_t k = 0; k < kFaultCount; ++k) flags_[k] = (frame[FlagByte(k)] & FlagMask(k)) != 0 ? 1 : 0;
    return true;
}

// No operation of the program sends the fault list; the frame mirrors what Parse reads.
Frame FaultListEV48400CD5::Serialize() const {
    Frame frame = NewFrame(GetId());
    for (size_t k = 0; k < kFaultCount; ++k)
        if (flags_[k] != 0) frame[FlagByte(k)] |= FlagMask(k);
    return SealFrame(std::move(frame), "FaultListEV48400CD5");
}

std::string FaultListEV48400CD5::Describe() const {
    std::string out;
    for (size_t k = 0; k < kFaultCount; ++k)
        if (flags_[k] != 0) out += std::string(kFaults[k].name) + " ";
    return out.empty() ? "No faults" : out;
}

void FaultListEV48400CD5::BuildParamEntries() {
    EntryList& list = List(kFaultList);
    list.clear();
    for (size_t k = 0; k < kFaultCount; ++k) {
        const std::wstring key = std::to_wstring(kFaults[k].code);
        const ParamGetter getter = [k](void* owner) {
            return paramdetail::NumberText(static_cast<const FaultListEV48400CD5*>(owner)->flags_[k]);
        };
        const ParamSetter setter =
            makeSetter<FaultListEV48400CD5>([k](FaultListEV48400CD5* owner, const std::string& textValue) {
                owner->flags_[k] = entrydetail::ParseOrThrow<uint8_t>(textValue);
            });
        list.push_back(ParamEntry{key, kFaults[k].label, this, ParamKind::UInt8, L"", L"0", FixedMax(L"1"),
                                  false, getter, setter});
    }
}

}  // namespace EV48400C
