#include "tercel/config.h"

#include "tercel/entry_lists.h"
#include "tercel/register_entries.h"

namespace Tercel {

namespace {

constexpr ValueName kEncoderTypes[] = {
    {1, "AB Orthogonal Encoder"},
    {2, "RSLV Resolver Encoder"},
    {3, "SinCos Encoder"},
};

}  // namespace

std::string Config::Describe() const {
    return DescribeEntries(this, {&List(kConfigList)});
}

void Config::BuildParamEntries() {
    const auto shown = [this](uint16_t address, const wchar_t* label, const wchar_t* unit,
                              ParamGetter getter) {
        return ShownEntry(this, {address, label, ParamKind::UInt16, unit}, std::move(getter));
    };
    const auto voltage = [](uint16_t address) { return RatioGetter(address, kVoltageScaleRegister); };
    const auto current = [](uint16_t address) { return RatioGetter(address, kCurrentScaleRegister); };
    List(kConfigList) = {
        shown(2, L"Voltage Scale", L"V", RawGetter(2)),
        shown(4, L"Current Scale", L"A", RawGetter(4)),
        shown(6, L"Unit Voltage Max Range", L"V", voltage(6)),
        shown(12, L"Unit DC Nominal Voltage", L"V", voltage(12)),
        shown(14, L"Control Voltage Max", L"V", voltage(14)),
        shown(20, L"Unit Current Max Range", L"A", current(20)),
        shown(24, L"Unit VT Current", L"A", current(24)),
        shown(26, L"Unit Max Current", L"A", current(26)),
        shown(28, L"Unit Frequency Max Range", L"Hz", RawGetter(28)),
        shown(138, L"Encoder Type", L"", MappedGetter(138, kEncoderTypes)),
    };
}

}  // namespace Tercel
