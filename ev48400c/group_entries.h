// Entry factories for message classes whose fields are raw numbers: the value conversions every
// EV48-400-C group shares (plain, scaled, enumeration), bound to a field by member pointer.
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <stdexcept>
#include <string>

#include "core/log.h"
#include "core/param_entry.h"
#include "core/text.h"

namespace EV48400C {

struct EntryText {
    const wchar_t* key;
    const wchar_t* label;
    const wchar_t* unit;
    const wchar_t* minValue;
    const wchar_t* maxValue;
};

// names[value], or "Unknown" for a value the enumeration does not name.
const char* EnumText(std::span<const char* const> names, unsigned value);

// raw x scale in fixed notation with the given number of decimals.
std::string ScaledText(double raw, double scale, int decimals);

// The raw field value for a scaled value text: the text is read as a single-precision number, then
// multiplied in double precision and truncated, so a typed value may store one step below it.
// Throws std::invalid_argument for text without a number and std::out_of_range for a value that does
// not fit; callers refuse the edit.
uint16_t ScaledRaw(const std::string& textValue, double scale);

namespace entrydetail {

inline void ReportStored(const wchar_t* key, long long raw) {
    Diagnostic("DEBUG: " + text::WideToUtf8(key) + " = " + std::to_string(raw));
}

template <typename T>
T ParseOrThrow(const std::string& textValue) {
    const auto value = paramdetail::ParseAs<T>(textValue);
    if (!value) throw std::invalid_argument("not a value of this field: '" + textValue + "'");
    return *value;
}

}  // namespace entrydetail

inline ParamEntry MakeEntry(void* owner, const EntryText& text, ParamKind kind, ParamGetter getter,
                            ParamSetter setter, bool readOnly = false) {
    return ParamEntry{text.key,
                      text.label,
                      owner,
                      kind,
                      text.unit,
                      text.minValue,
                      FixedMax(text.maxValue),
                      readOnly,
                      std::move(getter),
                      std::move(setter)};
}

// The stored number shown in decimal, read as Shown (a signed field arrives as a raw word).
template <typename Shown, typename C, typename Stored>
ParamGetter DecimalGetter(Stored C::*field) {
    return [field](void* owner) {
        return paramdetail::NumberText(static_cast<Shown>(static_cast<const C*>(owner)->*field));
    };
}

template <typename C, typename Stored>
ParamGetter ScaledGetter(Stored C::*field, double scale, int decimals) {
    return [field, scale, decimals](void* owner) {
        return ScaledText(static_cast<double>(static_cast<const C*>(owner)->*field), scale, decimals);
    };
}

template <typename C, typename Stored>
ParamGetter NameGetter(Stored C::*field, std::span<const char* const> names) {
    return [field, names](void* owner) {
        return std::string(EnumText(names, static_cast<unsigned>(static_cast<const C*>(owner)->*field)));
    };
}

// Parses a number of type Shown, limits it to [low, high] and stores it as the raw field value.
template <typename Shown, typename C, typename Stored>
ParamSetter PlainSetter(Stored C::*field, const wchar_t* key,
                        Shown low = std::numeric_limits<Shown>::lowest(),
                        Shown high = std::numeric_limits<Shown>::max()) {
    return makeSetter<C>([field, key, low, high](C* object, const std::string& textValue) {
        Shown value = entrydetail::ParseOrThrow<Shown>(textValue);
        if (value < low) value = low;
        if (value > high) value = high;
        object->*field = static_cast<Stored>(value);
        entrydetail::ReportStored(key, static_cast<long long>(value));
    });
}

template <typename C>
ParamSetter ScaledSetter(uint16_t C::*field, const wchar_t* key, double scale) {
    return makeSetter<C>([field, key, scale](C* object, const std::string& textValue) {
        object->*field = ScaledRaw(textValue, scale);
        entrydetail::ReportStored(key, object->*field);
    });
}

// An unsigned 16-bit field shown and set as its raw number, clamped to at most clampTo.
template <typename C>
ParamEntry PlainWord(C& owner, const EntryText& text, uint16_t C::*field, uint16_t clampTo = 0xFFFF) {
    return MakeEntry(&owner, text, ParamKind::UInt16, DecimalGetter<uint16_t>(field),
                     PlainSetter<uint16_t>(field, text.key, uint16_t{0}, clampTo));
}

// A raw word shown as raw x scale with the given decimals; the setter stores typed value / scale.
template <typename C>
ParamEntry ScaledWord(C& owner, const EntryText& text, ParamKind kind, uint16_t C::*field, double scale,
                      int decimals) {
    return MakeEntry(&owner, text, kind, ScaledGetter(field, scale, decimals),
                     ScaledSetter(field, text.key, scale));
}

// Shown by the enumerator's name, set by its integer value.
template <typename C, typename Stored>
ParamEntry Enumerated(C& owner, const EntryText& text, Stored C::*field, std::span<const char* const> names,
                      bool readOnly = false) {
    return MakeEntry(&owner, text, ParamKind::Enumeration, NameGetter(field, names),
                     PlainSetter<Stored>(field, text.key), readOnly);
}

}  // namespace EV48400C
