#include "tercel/register_entries.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <iomanip>
#include <locale>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <unordered_map>

#include "core/log.h"
#include "core/text.h"
#include "tercel/family_state.h"
#include "tercel/get_info.h"

namespace Tercel {

namespace {

constexpr float kCurrentFullScale = 32767.0f;

std::string FixedText(double value, int decimals) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(decimals) << value;
    return out.str();
}

float TypedNumber(const std::string& textValue) {
    const auto number = text::ParseLeadingDouble(textValue);
    if (!number) throw std::invalid_argument("not a number: '" + textValue + "'");
    // Beyond the float range the conversion itself would be undefined.
    if (std::fabs(*number) > FLT_MAX)
        throw std::out_of_range("not a single-precision number: '" + textValue + "'");
    return static_cast<float>(*number);
}

// Amperes per register count, or nothing while either register it comes from is 0: a zero maximum
// current would make every setter divide by zero.
std::optional<float> AmpsPerCount() {
    auto& registers = Registers();
    const uint16_t maxCurrent = registers[kMaxCurrentRegister];
    const uint16_t currentScale = registers[kCurrentScaleRegister];
    if (maxCurrent == 0 || currentScale == 0) return std::nullopt;
    return static_cast<float>(maxCurrent) / kCurrentFullScale / static_cast<float>(currentScale);
}

// The registers besides its own that an entry's shown value is worked out from, by the entry's
// register; the getters that divide by a scale enter theirs when entries are built.
std::unordered_map<uint16_t, std::set<uint16_t>>& ShownFrom() {
    static std::unordered_map<uint16_t, std::set<uint16_t>> from;
    return from;
}

void Store(uint16_t address, int32_t value) {
    Registers()[address] = static_cast<uint16_t>(value);
    Diagnostic("DEBUG: " + std::to_string(address) + " = " + std::to_string(value));
}

}  // namespace

ParamGetter RawGetter(uint16_t address) {
    return [address](void*) { return std::to_string(Registers()[address]); };
}

ParamGetter ScaledGetter(uint16_t address, double divisor, int decimals) {
    return
        [address, divisor, decimals](void*) { return FixedText(Registers()[address] / divisor, decimals); };
}

ParamGetter RatioGetter(uint16_t address, uint16_t divisorAddress) {
    ShownFrom()[address].insert(divisorAddress);
    return [address, divisorAddress](void*) {
        const unsigned divisor = Registers()[divisorAddress];
        if (divisor == 0) return std::string();
        return std::to_string(Registers()[address] / divisor);
    };
}

ParamGetter AmpsGetter(uint16_t address) {
    ShownFrom()[address].insert({kMaxCurrentRegister, kCurrentScaleRegister});
    return [address](void*) {
        const auto perCount = AmpsPerCount();
        if (!perCount) return std::string();
        const float amps = static_cast<float>(Registers()[address]) * *perCount;
        return FixedText(amps, 1);
    };
}

ParamGetter MappedGetter(uint16_t address, std::span<const ValueName> names) {
    return [address, names](void*) {
        const uint16_t value = Registers()[address];
        for (const auto& name : names)
            if (name.value == value) return std::string(name.name);
        return std::string("Unknown");
    };
}

ParamSetter RawSetter(uint16_t address) {
    return [address](void*, const std::string& textValue) {
        const auto number = text::ParseLeadingDouble(textValue);
        if (!number) throw std::invalid_argument("not a number: '" + textValue + "'");
        // A value that does not fit is refused: its low 16 bits would be another setting.
        Store(address, text::CheckedScale(*number, 1.0, 0, 0xFFFF));
    };
}

ParamSetter ScaledSetter(uint16_t address, float factor) {
    return [address, factor](void*, const std::string& textValue) {
        // The product is taken in single precision, so a typed value stores as itself: 25.3 gives 253,
        // where the double product of the same float would truncate to 252.
        const float product = TypedNumber(textValue) * factor;
        Store(address, text::CheckedScale(product, 1.0, 0, 0xFFFF));
    };
}

ParamSetter AmpsSetter(uint16_t address) {
    return [address](void*, const std::string& textValue) {
        const float amps = TypedNumber(textValue);
        const auto perCount = AmpsPerCount();
        if (!perCount) throw std::out_of_range("no current scale read yet");
        const float counts = amps / *perCount;
        Store(address, text::CheckedScale(counts, 1.0, 0, 0xFFFF));
    };
}

ParamMaxFunction MotorMaxRpm() {
    return [](void*) { return std::to_wstring(Registers()[kMotorMaxRpmRegister]); };
}

ParamEntry ShownEntry(void* owner, const RegisterText& text, ParamGetter getter) {
    return ParamEntry{std::to_wstring(text.address),
                      text.label,
                      owner,
                      text.kind,
                      text.unit,
                      L"",
                      FixedMax(L""),
                      true,
                      std::move(getter),
                      nullptr};
}

ParamEntry EditableEntry(void* owner, const RegisterText& text, const wchar_t* minValue,
                         ParamMaxFunction maxValue, ParamGetter getter, ParamSetter setter) {
    return ParamEntry{std::to_wstring(text.address),
                      text.label,
                      owner,
                      text.kind,
                      text.unit,
                      minValue,
                      std::move(maxValue),
                      false,
                      std::move(getter),
                      std::move(setter)};
}

bool EntryWasRead(const ParamEntry& entry) {
    uint16_t address = 0;
    if (ParseRegisterKey(entry.key, address)) {
        if (!RegisterWasRead(address)) return false;
        // A value worked out with a scale that was not read is not the controller's either.
        const auto from = ShownFrom().find(address);
        if (from == ShownFrom().end()) return true;
        return std::all_of(from->second.begin(), from->second.end(), RegisterWasRead);
    }
    const auto& identity = Objects().identity;
    if (identity && entry.owner == static_cast<const void*>(identity.get())) return Marks().identityRead;
    return true;
}

bool ParseRegisterKey(const std::wstring& key, uint16_t& address) {
    if (key.empty() || key.size() > 5) return false;
    unsigned value = 0;
    for (const wchar_t c : key) {
        if (c < L'0' || c > L'9') return false;
        value = value * 10 + static_cast<unsigned>(c - L'0');
    }
    if (value > 0xFFFF) return false;
    address = static_cast<uint16_t>(value);
    return true;
}

}  // namespace Tercel
