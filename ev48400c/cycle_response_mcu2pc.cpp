#include "ev48400c/cycle_response_mcu2pc.h"

#include <algorithm>

#include "core/log.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/enumerations.h"
#include "ev48400c/group_entries.h"

namespace EV48400C {

namespace {

// Live values beyond what the controller can measure are limited, never refused.
constexpr uint16_t kMaxVoltageRaw = 1000;
constexpr uint16_t kMaxCurrentRaw = 1000;
constexpr uint16_t kMaxVehicleSpeed = 600;
constexpr int16_t kMaxMotorSpeed = 10000;
constexpr int16_t kMaxTemperature = 200;
constexpr uint16_t kMaxReserveSwitch = 1023;

uint16_t AtMost(uint16_t value, uint16_t high) {
    return std::min(value, high);
}

int16_t Within(uint16_t raw, int16_t limit) {
    return std::clamp(static_cast<int16_t>(raw), static_cast<int16_t>(-limit), limit);
}

uint32_t ReadLong(const Frame& frame, size_t position) {
    return static_cast<uint32_t>(ReadWord(frame, position)) |
           static_cast<uint32_t>(ReadWord(frame, position + 2)) << 16;
}

void PutLong(Frame& frame, size_t position, uint32_t value) {
    PutWord(frame, position, static_cast<uint16_t>(value & 0xFFFF));
    PutWord(frame, position + 2, static_cast<uint16_t>(value >> 16));
}

void Report(const char* field, long long value, const char* meaning) {
    Diagnostic(std::string(field) + " set to " + std::to_string(value) + " // " + meaning);
}

}  // namespace

void CycleResponseMCU2PC::SetVehicleModel(uint16_t model) {
    vehicleModel_ = model;
    isD5Model = model == static_cast<uint16_t>(VehicleModelEnum::D5);
    Diagnostic("[SetVehicleModel] -> " + std::to_string(model));
}

bool CycleResponseMCU2PC::Parse(const Frame& frame) {
    if (!IsValid(frame)) {
        Log("CycleResponseMCU2PC: Invalid data");
        return false;
    }
    const uint8_t switches = frame[4];
    mainRelay_ = (switches & 0x01) != 0;
    brakeRelay_ = (switches & 0x02) != 0;
    accelerationPedal_ = (switches & 0x04) != 0;
    drivingForward_ = (switches & 0x08) != 0;
    drivingReverse_ = (switches & 0x10) != 0;
    slowMode_ = (switches & 0x20) != 0;
    reserveSwitch_ = static_cast<uint16_t>((switches >> 6) + 4 * frame[5]);
    voltageDC_ = AtMost(ReadWord(frame, 6), kMaxVoltageRaw);
    SetVehicleModel(ReadWord(frame, 8));
    voltageKSI_ = AtMost(ReadWord(frame, 10), kMaxVoltageRaw);
    hardwareVersion_ = frame[12];
    voltage5VOut_ = frame[13];
    currentIs_ = AtMost(ReadWord(frame, 14), kMaxCurrentRaw);
    bdiBatteryVoltage_ = AtMost(ReadWord(frame, 16), kMaxVoltageRaw);
    voltageMainRelay_ = AtMost(ReadWord(frame, 18), kMaxVoltageRaw);
    voltageBrakeRelay_ = AtMost(ReadWord(frame, 20), kMaxVoltageRaw);
    voltageAccelerator_ = ReadWord(frame, 22);
    motorSpeedFbk_ = Within(ReadWord(frame, 24), kMaxMotorSpeed);
    motorSpeedRef_ = Within(ReadWord(frame, 26), kMaxMotorSpeed);
    vehicleSpeed_ = AtMost(ReadWord(frame, 28), kMaxVehicleSpeed);
    speedPhaseA_ = Within(ReadWord(frame, 30), kMaxMotorSpeed);
    speedPhaseB_ = Within(ReadWord(frame, 32), kMaxMotorSpeed);
    motorTemp_ = Within(ReadWord(frame, 34), kMaxTemperature);
    controllerTemp_ = Within(ReadWord(frame, 36), kMaxTemperature);
    totalWorkingTime_ = ReadLong(frame, 40);
    totalOdometer_ = ReadLong(frame, 44);

    if (host::DebugEnabled()) {
        Report("mainRelay", mainRelay_, "Main relay pulled in");
        Report("brakeRelay", brakeRelay_, "Brake relay pulled in");
        Report("accelerationPedal", accelerationPedal_, "Accelerator switch");
        Report("drivingForward", drivingForward_, "Forward switch");
        Report("drivingReverse", drivingReverse_, "Reverse switch");
        Report("slowMode", slowMode_, "Slow mode switch");
        Report("reserveSwitch", reserveSwitch_, "Reserve switches");
        Report("voltageDC", voltageDC_, "Bus voltage");
        Report("voltageKSI", voltageKSI_, "Key switch voltage");
        Report("hardwareVersion", hardwareVersion_, "Hardware version");
        Report("voltage5VOut", voltage5VOut_, "5 V supply");
        Report("currentIs", currentIs_, "Phase current");
        Report("bdiBatteryVoltage", bdiBatteryVoltage_, "Battery string voltage");
        Report("voltageMainRelay", voltageMainRelay_, "Main relay coil voltage");
        Report("voltageBrakeRelay", voltageBrakeRelay_, "Brake relay coil voltage");
        Report("voltageAccelerator", voltageAccelerator_, "Accelerator voltage");
        Report("motorSpeedFbk", motorSpeedFbk_, "Actual motor speed");
        Report("motorSpeedRef", motorSpeedRef_, "Target motor speed");
        Report("vehicleSpeed", vehicleSpeed_, "Vehicle speed");
        Report("speedPhaseA", speedPhaseA_, "Encoder phase A speed");
        Report("speedPhaseB", speedPhaseB_, "Encoder phase B speed");
        Report("motorTemp", motorTemp_, "Motor temperature");
        Report("controllerTemp", controllerTemp_, "Controller temperature");
        Report("totalWorkingTime", totalWorkingTime_, "Running time");
        Report("totalOdometer", totalOdometer_, "Odometer");
    }
    return true;
}

// No operation of the program sends live data; the frame mirrors what Parse reads.
Frame CycleResponseMCU2PC::Serialize() const {
    Frame frame = NewFrame(GetId());
    frame[4] =
        static_cast<uint8_t>(mainRelay_ | brakeRelay_ << 1 | accelerationPedal_ << 2 | drivingForward_ << 3 |
                             drivingReverse_ << 4 | slowMode_ << 5 | (reserveSwitch_ & 0x03) << 6);
    frame[5] = static_cast<uint8_t>(reserveSwitch_ >> 2);
    PutWord(frame, 6, voltageDC_);
    PutWord(frame, 8, vehicleModel_);
    PutWord(frame, 10, voltageKSI_);
    frame[12] = hardwareVersion_;
    frame[13] = voltage5VOut_;
    PutWord(frame, 14, currentIs_);
    PutWord(frame, 16, bdiBatteryVoltage_);
    PutWord(frame, 18, voltageMainRelay_);
    PutWord(frame, 20, voltageBrakeRelay_);
    PutWord(frame, 22, voltageAccelerator_);
    PutWord(frame, 24, static_cast<uint16_t>(motorSpeedFbk_));
    PutWord(frame, 26, static_cast<uint16_t>(motorSpeedRef_));
    PutWord(frame, 28, vehicleSpeed_);
    PutWord(frame, 30, static_cast<uint16_t>(speedPhaseA_));
    PutWord(frame, 32, static_cast<uint16_t>(speedPhaseB_));
    PutWord(frame, 34, static_cast<uint16_t>(motorTemp_));
    PutWord(frame, 36, static_cast<uint16_t>(controllerTemp_));
    PutLong(frame, 40, totalWorkingTime_);
    PutLong(frame, 44, totalOdometer_);
    return SealFrame(std::move(frame), "CycleResponseMCU2PC");
}

std::string CycleResponseMCU2PC::Describe() const {
    return DescribeEntries(this, {&List(kLiveDataList)});
}

void CycleResponseMCU2PC::BuildParamEntries() {
    using C = CycleResponseMCU2PC;
    const auto shown = [this](const EntryText& text, ParamKind kind, ParamGetter getter, ParamSetter setter) {
        return MakeEntry(this, text, kind, std::move(getter), std::move(setter), true);
    };
    // Decimal values whose setters keep the clamps of Parse.
    const auto decimal = [&](const EntryText& text, ParamKind kind, auto C::*field, auto low, auto high) {
        using Value = std::remove_cvref_t<decltype(this->*field)>;
        return shown(text, kind, DecimalGetter<Value>(field),
                     PlainSetter<Value>(field, text.key, static_cast<Value>(low), static_cast<Value>(high)));
    };
    // Shown in volts or amperes, but set as the raw number.
    const auto tenths = [&](const EntryText& text, ParamKind kind, auto C::*field, auto high) {
        using Value = std::remove_cvref_t<decltype(this->*field)>;
        return shown(text, kind, ScaledGetter(field, 0.1, 2),
                     PlainSetter<Value>(field, text.key, Value{0}, static_cast<Value>(high)));
    };
    const auto bit = [&](const EntryText& text, bool C::*field) {
        return decimal(text, ParamKind::Bit, field, false, true);
    };
    constexpr int kU8 = 0xFF;
    constexpr int kU16 = 0xFFFF;

    List(kLiveDataList) = {
        shown({L"vehicleModel", L"Vehicle Model", L"", L"Other", L"D5"}, ParamKind::Enumeration,
              NameGetter(&C::vehicleModel_, kVehicleModelNames), makeSetter(&C::SetVehicleModel)),
        decimal({L"hardwareVersion", L"Hardware Version", L"", L"0", L"255"}, ParamKind::UInt8,
                &C::hardwareVersion_, 0, kU8),
        decimal({L"vehicleSpeed", L"Vehicle Speed", L"Km/h", L"0", L"60"}, ParamKind::UInt16,
                &C::vehicleSpeed_, 0, kMaxVehicleSpeed),
        decimal({L"motorSpeedFbk", L"Actual Motor RPM", L"RPM", L"-10000", L"10000"}, ParamKind::Int16,
                &C::motorSpeedFbk_, -kMaxMotorSpeed, kMaxMotorSpeed),
        decimal({L"motorSpeedRef", L"Target Motor RPM", L"RPM", L"-10000", L"10000"}, ParamKind::Int16,
                &C::motorSpeedRef_, -kMaxMotorSpeed, kMaxMotorSpeed),
        decimal({L"motorTemp", L"Motor Temperature", L"\u00B0C", L"-200", L"200"}, ParamKind::Int16,
                &C::motorTemp_, -kMaxTemperature, kMaxTemperature),
        decimal({L"controllerTemp", L"Controller Temperature", L"\u00B0C", L"-200", L"200"}, ParamKind::Int16,
                &C::controllerTemp_, -kMaxTemperature, kMaxTemperature),
        tenths({L"voltageKSI", L"KSI Voltage", L"V", L"0", L"1000"}, ParamKind::UInt16, &C::voltageKSI_,
               kMaxVoltageRaw),
        tenths({L"voltageDC", L"DC Bus Voltage", L"V", L"0", L"1000"}, ParamKind::UInt16, &C::voltageDC_,
               kMaxVoltageRaw),
        tenths({L"voltage5VOut", L"5V Supply Voltage", L"V", L"0", L"12.5"}, ParamKind::UInt8,
               &C::voltage5VOut_, kU8),
        decimal({L"bdiBatteryVoltage", L"Battery String Voltage", L"V", L"0", L"1000"}, ParamKind::UInt16,
                &C::bdiBatteryVoltage_, 0, kMaxVoltageRaw),
        tenths({L"voltageMainRelay", L"Main Relay Voltage", L"V", L"0", L"0"}, ParamKind::UInt16,
               &C::voltageMainRelay_, kMaxVoltageRaw),
        tenths({L"voltageBrakeRelay", L"Brake Relay Voltage", L"V", L"0", L"0"}, ParamKind::UInt16,
               &C::voltageBrakeRelay_, kMaxVoltageRaw),
        bit({L"mainRelay", L"Main Relay Pull-in State", L"", L"0", L"1"}, &C::mainRelay_),
        bit({L"brakeRelay", L"Brake Relay Pull-in State", L"", L"0", L"1"}, &C::brakeRelay_),
        bit({L"accelerationPedal", L"Accelerator Switch", L"", L"0", L"1"}, &C::accelerationPedal_),
        decimal({L"voltageAccelerator", L"Accelerator Voltage", L"V", L"0", L"655.35"}, ParamKind::UInt16,
                &C::voltageAccelerator_, 0, kU16),
        bit({L"drivingForward", L"Forward Switch", L"", L"0", L"1"}, &C::drivingForward_),
        bit({L"drivingReverse", L"Backward Switch", L"", L"0", L"1"}, &C::drivingReverse_),
        bit({L"slowMode", L"Slow Mode Switch", L"", L"0", L"1"}, &C::slowMode_),
        decimal({L"reserveSwitch", L"Reserve Switch", L"", L"0", L"1023"}, ParamKind::UInt16,
                &C::reserveSwitch_, 0, kMaxReserveSwitch),
        tenths({L"currentIs", L"Phase Current", L"A", L"0", L"1000"}, ParamKind::UInt16, &C::currentIs_,
               kMaxCurrentRaw),
        decimal({L"speedPhaseA", L"Encoder Phase A Speed", L"RPM", L"-10000", L"10000"}, ParamKind::Int16,
                &C::speedPhaseA_, -kMaxMotorSpeed, kMaxMotorSpeed),
        decimal({L"speedPhaseB", L"Encoder Phase B Speed", L"RPM", L"-10000", L"10000"}, ParamKind::Int16,
                &C::speedPhaseB_, -kMaxMotorSpeed, kMaxMotorSpeed),
        decimal({L"totalWorkingTime", L"Total Vehicle Running Time", L"h", L"0", L"175200"},
                ParamKind::UInt32, &C::totalWorkingTime_, 0u, 0xFFFFFFFFu),
        decimal({L"totalOdometer", L"Odometer", L"Km", L"0", L"730000"}, ParamKind::UInt32,
                &C::totalOdometer_, 0u, 0xFFFFFFFFu),
    };
}

}  // namespace EV48400C
