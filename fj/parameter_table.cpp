#include "fj/parameter_table.h"

#include <cfloat>
#include <cmath>
#include <iomanip>
#include <locale>
#include <span>
#include <sstream>
#include <stdexcept>
#include <string>

#include "core/log.h"
#include "core/text.h"
#include "fj/packet_codec.h"
#include "fj/value_table.h"

namespace FJ {

namespace {

enum class Display : uint8_t {
    Integer,
    Tenths,      // value / 10, one decimal
    Hundredths,  // value / 100, rounded to one decimal
    OneDecimal,  // the value itself with one decimal
    Names,
    FirmwareDate,
};

enum class Setter : uint8_t {
    Integer,
    TimesTen,  // typed value x 10, truncated
    ReadOnly,
};

using Names = std::span<const char* const>;

// A null name is a value the controller documentation leaves without one.
constexpr const char* kSlopeModes[] = {"Stop On Slope", "Slide On Slope", "Timing Stop On Slope"};
constexpr const char* kGearModes[] = {"Standard mode", "Partition mode"};
constexpr const char* kControlModes[] = {"Speed mode", "Torque mode"};
constexpr const char* kEnergyModes[] = {"S", "E", "P"};
constexpr const char* kMcuTypes[] = {"XMC4400", "XMC47/4800"};
constexpr const char* kE2FileCodes[] = {nullptr, "ACS1", "ACV1", "ACV2"};
constexpr const char* kMotorStates[] = {"STOP", "RUN", "LOCK", "SDOWN", "IDLE", "HTDYO", "LZRUN", "FSTOP"};
constexpr const char* kBrakeControlTypes[] = {"Disable", "Drive1", "Drive2", "Drive3",
                                              "Drive4",  "Drive5", "Drive6", "Drive7"};
constexpr const char* kVehicleTypes[] = {
    "Sightseeing vehicle", "Board-level test", "Burn-in test",         "Ingersoll Rand", "Storage car",
    "Linde universal car", "Reserve",          "Aerial work platform", "Tractor",        "Reserve2"};
constexpr const char* kVehicleTypesB[] = {
    "Sightseeing vehicle", "Board-level test", "Burn-in test",         "Ingersoll Rand", "Storage car",
    "Linde universal car", "Reserve",          "Aerial work platform", "tractor",        "Reserve2"};

struct EntryRow {
    uint8_t group;
    uint8_t index;
    std::string_view list;
    ParamKind kind;
    const wchar_t* unit;
    const wchar_t* minValue;
    const wchar_t* maxValue;
    Display display;
    Setter setter;
    Names names;
};

constexpr EntryRow Row(uint8_t group, uint8_t index, std::string_view list, ParamKind kind,
                       const wchar_t* unit, const wchar_t* minValue, const wchar_t* maxValue, Display display,
                       Setter setter, Names names = {}) {
    return EntryRow{group, index, list, kind, unit, minValue, maxValue, display, setter, names};
}
constexpr EntryRow Number(uint8_t group, uint8_t index, std::string_view list, const wchar_t* unit,
                          const wchar_t* minValue, const wchar_t* maxValue) {
    return Row(group, index, list, ParamKind::UInt16, unit, minValue, maxValue, Display::Integer,
               Setter::Integer);
}
constexpr EntryRow TimesTen(uint8_t group, uint8_t index, std::string_view list, const wchar_t* unit,
                            const wchar_t* minValue, const wchar_t* maxValue) {
    return Row(group, index, list, ParamKind::UInt16, unit, minValue, maxValue, Display::Tenths,
               Setter::TimesTen);
}
// Set by number, shown by name; the limits are the names of the first and the last option.
constexpr EntryRow Choice(uint8_t group, uint8_t index, std::string_view list, const wchar_t* minValue,
                          const wchar_t* maxValue, Names names) {
    return Row(group, index, list, ParamKind::Enumeration, L"", minValue, maxValue, Display::Names,
               Setter::Integer, names);
}
constexpr EntryRow Shown(uint8_t group, uint8_t index, std::string_view list, const wchar_t* unit,
                         const wchar_t* minValue, const wchar_t* maxValue, Display display,
                         Names names = {}) {
    return Row(group, index, list, ParamKind::UInt16, unit, minValue, maxValue, display, Setter::ReadOnly,
               names);
}
// Identification: shown only, without unit or limits.
constexpr EntryRow Info(uint8_t group, uint8_t index, Names names = {}) {
    return Shown(group, index, kControllerInfoList, L"", L"", L"",
                 names.empty() ? Display::Integer : Display::Names, names);
}
// Not an address: its group and index are not used.
constexpr EntryRow FirmwareDate() {
    return Row(0, 0, kControllerInfoList, ParamKind::Text, L"", L"", L"", Display::FirmwareDate,
               Setter::ReadOnly);
}

// In list order within each list.
const EntryRow kRows[] = {
    Number(0x0D, 0x1F, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0F, 0x1C, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0F, 0x1D, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0F, 0x1E, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0F, 0x1F, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0F, 0x20, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0F, 0x21, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0F, 0x22, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0D, 0x20, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0D, 0x31, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0D, 0x32, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0B, 0x3E, kSpeedTuningList, L"RPM", L"0", L"6000"),
    Number(0x0D, 0x21, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x2B, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x2C, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x2D, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x2E, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x2F, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x30, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x31, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x23, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x24, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x25, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x26, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x27, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x28, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x29, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x2A, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0D, 0x22, kAcceleratorTuningList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x13, kTorqueTuningList, L"%", L"10", L"2000"),
    Number(0x0F, 0x14, kTorqueTuningList, L"%", L"10", L"100"),
    Number(0x0F, 0x15, kTorqueTuningList, L"%", L"10", L"100"),
    Number(0x0F, 0x16, kTorqueTuningList, L"%", L"10", L"100"),
    Number(0x0F, 0x17, kTorqueTuningList, L"%", L"10", L"100"),
    Number(0x0F, 0x18, kTorqueTuningList, L"%", L"10", L"100"),
    Number(0x0F, 0x19, kTorqueTuningList, L"%", L"10", L"100"),
    Number(0x0F, 0x1A, kTorqueTuningList, L"%", L"10", L"100"),
    Choice(0x0C, 0x30, kHillTuningList, L"Stop on Slope", L"Timing Stop on Slope", kSlopeModes),
    Number(0x0B, 0x3F, kHillTuningList, L"RPM", L"0", L"1000"),
    Number(0x0B, 0x21, kHillTuningList, L"", L"1", L"32000"),
    FirmwareDate(),
    Info(0x13, 0x0E),
    Info(0x13, 0x0F),
    Info(0x13, 0x07),
    Info(0x13, 0x08),
    Info(0x13, 0x09),
    Info(0x13, 0x0A),
    Info(0x13, 0x0B),
    Info(0x13, 0x1C),
    Info(0x13, 0x1D),
    Info(0x13, 0x3C),
    Info(0x13, 0x3D, kVehicleTypesB),
    Info(0x13, 0x3E),
    Info(0x13, 0x39),
    Info(0x13, 0x3A, kVehicleTypes),
    Info(0x13, 0x3B, kE2FileCodes),
    Info(0x13, 0x02, kMcuTypes),
    Shown(0x01, 0x38, kBatteryRealTimeList, L"%", L"0", L"100", Display::OneDecimal),
    Shown(0x01, 0x0F, kBatteryRealTimeList, L"V", L"0", L"100", Display::Tenths),
    Shown(0x01, 0x37, kBatteryRealTimeList, L"A", L"0", L"1000", Display::Tenths),
    Shown(0x01, 0x0A, kBatteryRealTimeList, L"V", L"0", L"100", Display::Tenths),
    Shown(0x01, 0x1A, kBatteryRealTimeList, L"V", L"0", L"100", Display::Hundredths),
    Shown(0x01, 0x1B, kBatteryRealTimeList, L"V", L"0", L"100", Display::Hundredths),
    Shown(0x01, 0x3D, kControllerRealTimeList, L"", L"STOP", L"FSTOP", Display::Names, kMotorStates),
    Shown(0x0D, 0x02, kControllerRealTimeList, L"", L"S", L"P", Display::Names, kEnergyModes),
    Shown(0x01, 0x14, kControllerRealTimeList, L"RPM", L"0", L"100", Display::Integer),
    Shown(0x01, 0x13, kControllerRealTimeList, L"RPM", L"0", L"100", Display::Integer),
    Shown(0x01, 0x0B, kControllerRealTimeList, L"KM/H", L"0", L"100", Display::Integer),
    Shown(0x01, 0x12, kControllerRealTimeList, L"A", L"-1000", L"1000", Display::Tenths),
    Shown(0x01, 0x18, kControllerRealTimeList, L"\u00BAC", L"0", L"500", Display::Integer),
    Shown(0x01, 0x19, kControllerRealTimeList, L"\u00BAC", L"0", L"500", Display::Integer),
    Shown(0x01, 0x3E, kControllerRealTimeList, L"", L"0", L"1000", Display::Integer),
    Number(0x0F, 0x39, kKitchenSinkList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x3A, kKitchenSinkList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x3B, kKitchenSinkList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x3C, kKitchenSinkList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x3D, kKitchenSinkList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x3E, kKitchenSinkList, L"RPM/S", L"100", L"2000"),
    Number(0x0F, 0x3F, kKitchenSinkList, L"RPM/S", L"100", L"2000"),
    Row(0x0C, 0x22, kKitchenSinkList, ParamKind::UInt16, L"MV", L"0", L"12000", Display::OneDecimal,
        Setter::Integer),
    TimesTen(0x0C, 0x23, kKitchenSinkList, L"MV", L"2000", L"12000"),
    Number(0x0B, 0x3D, kKitchenSinkList, L"RPM", L"100", L"6000"),
    Number(0x0C, 0x33, kKitchenSinkList, L"RPM", L"0", L"2000"),
    Number(0x0C, 0x35, kKitchenSinkList, L"mm", L"10", L"3000"),
    TimesTen(0x0C, 0x3F, kKitchenSinkList, L"", L"1", L"1000"),
    Choice(0x0B, 0x2B, kKitchenSinkList, L"Standard", L"Partition", kGearModes),
    Choice(0x0B, 0x1D, kKitchenSinkList, L"Speed", L"Torque", kControlModes),
    Number(0x0B, 0x3C, kKitchenSinkList, L"", L"0", L"1"),
    Row(0x0B, 0x1E, kKitchenSinkList, ParamKind::Bit, L"", L"0", L"1", Display::Integer, Setter::Integer),
    Number(0x13, 0x10, kKitchenSinkList, L"", L"0", L"127"),
    Number(0x13, 0x3F, kKitchenSinkList, L"ms", L"10", L"10000"),
    Choice(0x10, 0x05, kKitchenSinkList, L"DISABLE", L"DRIVE", kBrakeControlTypes),
    Number(0x10, 0x06, kKitchenSinkList, L"MS", L"0", L"3000"),
    Number(0x0C, 0x39, kKitchenSinkList, L"\u00BAC", L"50", L"160"),
};

std::string Fixed1(double value) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(1) << value;
    return out.str();
}

std::string DisplayText(const EntryRow& row, uint16_t value) {
    switch (row.display) {
        case Display::Integer:
            return std::to_string(value);
        case Display::Tenths:
            return Fixed1(value / 10.0);
        case Display::Hundredths:
            return Fixed1(value / 100.0);
        case Display::OneDecimal:
            return Fixed1(value);
        case Display::Names:
            return value < row.names.size() && row.names[value] ? row.names[value] : "Unknown";
        case Display::FirmwareDate:
            return FormatFirmwareDate();
    }
    return std::string();
}

ParamGetter MakeGetter(const EntryRow& row) {
    if (row.display == Display::FirmwareDate) return [](void*) { return FormatFirmwareDate(); };
    return [row](void*) {
        if (!CheckAddress(row.group, row.index)) return std::string();
        return DisplayText(row, FjValueTable::Instance().Get(row.group, row.index));
    };
}

// Reads the text as the range check reads it, so that the value checked is the value stored; a value
// that does not fit the 16-bit field is refused rather than wrapped into another setting.
uint16_t ParseInteger(const std::string& textValue) {
    const auto number = text::ParseLeadingDouble(textValue);
    if (!number) throw std::invalid_argument("not a number: '" + textValue + "'");
    const double truncated = std::trunc(*number);
    if (truncated < 0 || truncated > 0xFFFF)
        throw std::out_of_range("not a 16-bit value: '" + textValue + "'");
    return static_cast<uint16_t>(truncated);
}

// The product is taken in single precision, as the controller's own tool does: "25.3" stores 253,
// where a double product would truncate to 252.
uint16_t ParseTimesTen(const std::string& textValue) {
    const auto number = text::ParseLeadingDouble(textValue);
    if (!number) throw std::invalid_argument("not a number: '" + textValue + "'");
    if (std::fabs(*number) > FLT_MAX)
        throw std::out_of_range("not a single-precision number: '" + textValue + "'");
    const float product = static_cast<float>(*number) * 10.0f;
    return text::CheckedScaleU16(static_cast<double>(product), 1.0);
}

ParamSetter MakeSetter(const EntryRow& row) {
    if (row.setter == Setter::ReadOnly) return {};
    return [row](void*, const std::string& textValue) {
        const uint16_t raw =
            row.setter == Setter::TimesTen ? ParseTimesTen(textValue) : ParseInteger(textValue);
        if (!CheckAddress(row.group, row.index)) return;
        FjValueTable::Instance().Set(row.group, row.index, raw);
        Diagnostic("DEBUG: " + FormatNarrowId(row.group, row.index) + " = " + std::to_string(raw));
    };
}

ParamEntry MakeEntry(const EntryRow& row) {
    const bool isDate = row.display == Display::FirmwareDate;
    return ParamEntry{isDate ? std::wstring() : FormatId(row.group, row.index),
                      isDate ? std::wstring(L"Firmware Release Date") : DescribeAddress(row.group, row.index),
                      &FjValueTable::Instance(),
                      row.kind,
                      row.unit,
                      row.minValue,
                      FixedMax(row.maxValue),
                      row.setter == Setter::ReadOnly,
                      MakeGetter(row),
                      MakeSetter(row),
                      row.display == Display::Names && row.kind == ParamKind::Enumeration
                          ? static_cast<int32_t>(row.names.size())
                          : 0};
}

constexpr std::string_view kAllLists[] = {kSpeedTuningList,    kAcceleratorTuningList,  kTorqueTuningList,
                                          kHillTuningList,     kControllerRealTimeList, kBatteryRealTimeList,
                                          kControllerInfoList, kKitchenSinkList,        kGeneralList};

}  // namespace

void BuildEntryLists() {
    for (const auto name : kAllLists) List(name).clear();
    for (const auto& row : kRows) List(row.list).push_back(MakeEntry(row));
}

void ResetFamily() {
    for (const auto name : kAllLists) List(name).clear();
    FjValueTable::Instance().Clear();
}

bool EntryWasRead(const ParamEntry& entry) {
    const auto& table = FjValueTable::Instance();
    if (const auto address = TryParseId(entry.key)) return table.WasRead(address->group, address->index);
    // The firmware release date is shown from three addresses.
    if (entry.key.empty() && entry.kind == ParamKind::Text)
        return table.WasRead(kFirmwareDateGroup, kFirmwareYearIndex) &&
               table.WasRead(kFirmwareDateGroup, kFirmwareMonthIndex) &&
               table.WasRead(kFirmwareDateGroup, kFirmwareDayIndex);
    return true;
}

std::optional<ValueRange> NumericRange(const ParamEntry& entry) {
    const auto range = EntryRange(entry);
    if (!range) return std::nullopt;
    return ValueRange{range->low, range->high};
}

}  // namespace FJ
