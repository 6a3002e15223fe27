// Parameter entries over the register map: each shows one register in engineering units and, where
// editable, turns an edited text back into a register value. The block objects own the entries but
// hold no values; getters and setters act on the register map at call time.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "core/param_entry.h"

namespace Tercel {

inline constexpr uint16_t kVoltageScaleRegister = 2;
inline constexpr uint16_t kCurrentScaleRegister = 4;
inline constexpr uint16_t kMaxCurrentRegister = 26;
inline constexpr uint16_t kMotorMaxRpmRegister = 2878;
inline constexpr uint16_t kForwardMaxRpmRegister = 2586;
inline constexpr uint16_t kSpeedResponseModeRegister = 2594;

struct RegisterText {
    uint16_t address;  // also the entry's key, in decimal
    const wchar_t* label;
    ParamKind kind;
    const wchar_t* unit;
};

struct ValueName {
    uint16_t value;
    const char* name;
};

// The register in decimal.
ParamGetter RawGetter(uint16_t address);
// register / divisor, fixed with the given decimals.
ParamGetter ScaledGetter(uint16_t address, double divisor, int decimals);
// register / divisor register in whole numbers; empty while the divisor is 0. Its entry counts as read
// only with the divisor register (EntryWasRead), as an AmpsGetter entry only with both of its scales.
ParamGetter RatioGetter(uint16_t address, uint16_t divisorAddress);
// The register in amperes, one decimal; empty while the current scale or the maximum current is 0.
ParamGetter AmpsGetter(uint16_t address);
// The name of the register's value, "Unknown" for a value without one.
ParamGetter MappedGetter(uint16_t address, std::span<const ValueName> names);

// Setters throw std::invalid_argument for text without a number and std::out_of_range for a value
// that does not fit a register; the callers turn both into a refusal.
ParamSetter RawSetter(uint16_t address);
// The text read as a single-precision number, multiplied by factor in single precision, truncated.
ParamSetter ScaledSetter(uint16_t address, float factor);
ParamSetter AmpsSetter(uint16_t address);

// The current value of the motor's maximum speed, for the maxima of the speeds that may not exceed it.
ParamMaxFunction MotorMaxRpm();

// A shown-only entry: no limits, no setter.
ParamEntry ShownEntry(void* owner, const RegisterText& text, ParamGetter getter);
ParamEntry EditableEntry(void* owner, const RegisterText& text, const wchar_t* minValue,
                         ParamMaxFunction maxValue, ParamGetter getter, ParamSetter setter);

// Whether the controller gave the entry's value in this connection: a register's entry when its
// register was read, and the scale registers its value is worked out with too; an identity entry when
// the controller's identity was taken; any other entry answers true.
bool EntryWasRead(const ParamEntry& entry);

// Whether a key of DirtyKeys or of an entry names a register: decimal digits only, within 16 bits.
bool ParseRegisterKey(const std::wstring& key, uint16_t& address);

}  // namespace Tercel
