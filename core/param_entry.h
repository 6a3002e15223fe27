// The shape in which every controller family publishes what a technician can see and tune.
//
// A message object holds the raw fields of one parameter group; each of its fields is published as a
// ParamEntry whose getter, setter and maximum act on that object through the untyped owner pointer.
// Owners are not owned: a message object must live as long as the lists that hold its entries, so the
// families keep one long-lived object per group and assign fresh results into it.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <vector>

#include "core/log.h"
#include "core/text.h"

class IniDocument;

enum class ParamKind : int32_t {
    UInt8 = 0,
    UInt16 = 1,
    UInt32 = 2,
    Int16 = 3,
    Enumeration = 5,  // the setter takes the enumerator's integer value
    Float = 6,
    Bit = 7,
    Text = 8,  // never parsed as a number; no range applies
};

using ParamGetter = std::function<std::string(void* owner)>;
using ParamSetter = std::function<void(void* owner, const std::string& text)>;
using ParamMaxFunction = std::function<std::wstring(void* owner)>;

struct ParamEntry {
    std::wstring key;    // internal name; what DirtyKeys holds
    std::wstring label;  // display text; also the key of the value in profile files
    void* owner = nullptr;
    ParamKind kind = ParamKind::UInt16;
    std::wstring unit;
    std::wstring minValue;
    ParamMaxFunction maxValue;  // a function: some maxima depend on other fields of the owner
    bool readOnly = false;
    ParamGetter getter;
    ParamSetter setter;
    // An enumeration whose limits are shown as option names takes the numbers 0 to optionCount - 1.
    int32_t optionCount = 0;
};

struct ParamRange {
    double low;
    double high;
};

// The numbers an edit or an import of the entry may take: its min and max read as leading numbers,
// or the options of an enumeration whose limits are names. Nothing when neither applies (text,
// option names without a count): such an entry admits no number.
std::optional<ParamRange> EntryRange(const ParamEntry& entry);

using EntryList = std::vector<ParamEntry>;

namespace paramdetail {

template <typename T>
std::string NumberText(T value) {
    if constexpr (std::is_enum_v<T>) {
        return NumberText(static_cast<std::underlying_type_t<T>>(value));
    } else if constexpr (std::is_same_v<T, bool>) {
        return value ? "1" : "0";
    } else if constexpr (std::is_integral_v<T>) {
        // Widened first, so that 8-bit values print as numbers rather than characters.
        if constexpr (std::is_signed_v<T>)
            return std::to_string(static_cast<long long>(value));
        else
            return std::to_string(static_cast<unsigned long long>(value));
    } else {
        std::ostringstream out;
        out.imbue(std::locale::classic());
        out << value;
        return out.str();
    }
}

// The number a value text stands for, converted to T. The text is read as a leading decimal number
// (the same reading the range check uses, so the value checked is the value stored); integers are
// truncated toward zero ("7.5" stores 7). Nothing when the text holds no number or the number does
// not fit T: storing 0 or a wrapped number instead would send a setting nobody asked for.
template <typename T>
std::optional<T> ParseAs(const std::string& textValue) {
    const auto number = text::ParseLeadingDouble(textValue);
    if (!number) return std::nullopt;
    if constexpr (std::is_same_v<T, bool>) {
        const double t = std::trunc(*number);
        if (t != 0.0 && t != 1.0) return std::nullopt;
        return t != 0.0;
    } else if constexpr (std::is_enum_v<T>) {
        const auto raw = ParseAs<std::underlying_type_t<T>>(textValue);
        if (!raw) return std::nullopt;
        return static_cast<T>(*raw);
    } else if constexpr (std::is_integral_v<T>) {
        const double t = std::trunc(*number);
        if (t < static_cast<double>(std::numeric_limits<T>::lowest()) ||
            t > static_cast<double>(std::numeric_limits<T>::max()))
            return std::nullopt;
        return static_cast<T>(t);
    } else {
        if (std::fabs(*number) > static_cast<double>(std::numeric_limits<T>::max())) return std::nullopt;
        return static_cast<T>(*number);
    }
}

}  // namespace paramdetail

// Getter from a const member function: numbers and enumerations as plain decimal, narrow strings as
// they are (an enumeration shown by name has a member that returns the name).
template <typename C, typename T>
ParamGetter makeGetter(T (C::*member)() const) {
    return [member](void* owner) -> std::string {
        const auto* object = static_cast<const C*>(owner);
        if constexpr (std::is_convertible_v<T, std::string>) {
            return std::string((object->*member)());
        } else {
            return paramdetail::NumberText((object->*member)());
        }
    };
}

// Setter from a member function taking the value. A text that holds no number of the field's type
// throws std::invalid_argument, which the callers turn into a refusal.
template <typename C, typename T>
ParamSetter makeSetter(void (C::*member)(T)) {
    using Value = std::remove_cv_t<std::remove_reference_t<T>>;
    return [member](void* owner, const std::string& textValue) {
        if constexpr (std::is_same_v<Value, std::string>) {
            (static_cast<C*>(owner)->*member)(textValue);  // a text field takes the text as it is
        } else {
            Diagnostic(std::string("ValueType is: ") + typeid(Value).name());
            const auto value = paramdetail::ParseAs<Value>(textValue);
            if (!value) {
                if constexpr (std::is_enum_v<Value>)
                    Diagnostic("Failed to parse enum value: " + textValue);
                else
                    Diagnostic("Failed to parse value from: '" + textValue + "'");
                throw std::invalid_argument("not a value of this field: '" + textValue + "'");
            }
            if constexpr (!std::is_enum_v<Value>)
                Diagnostic("Parsed value: " + paramdetail::NumberText(*value) + " from string: '" +
                           textValue + "'");
            (static_cast<C*>(owner)->*member)(*value);
        }
    };
}

// Setter for groups that convert the text themselves (scaled values): forwards the text unchanged.
template <typename C>
ParamSetter makeSetter(std::function<void(C*, const std::string&)> convert) {
    return [convert = std::move(convert)](void* owner, const std::string& textValue) {
        convert(static_cast<C*>(owner), textValue);
    };
}

template <typename C>
ParamMaxFunction makeWStringGetter(std::function<std::wstring(C*)> function) {
    return [function = std::move(function)](void* owner) { return function(static_cast<C*>(owner)); };
}

// A fixed maximum, for the common case.
ParamMaxFunction FixedMax(std::wstring value);

// Why a typed value cannot go into the entry ("is read-only", "not a number", "outside its limits 0 to
// 6000"), or empty when it can: the typed-number rule and the entry's limits, nothing stored.
std::string ParamValueProblem(const ParamEntry& entry, const std::string& value);

// Applies one key=value line of a profile to a list: finds the entry by label, checks the value
// against the entry's limits, stores it and marks the key dirty. Every outcome is logged; why, when
// given, receives the reason of a refusal.
bool ApplyParamValue(EntryList& entries, const std::string& key, const std::string& value,
                     std::string* why = nullptr);

// A profile: label=value lines under headings, each heading naming the lists its labels belong to.
// Taken whole or not at all: every line must name an entry of its heading's lists (once in the whole
// profile) and carry a value the entry takes, and no heading may be longer than what its reader takes
// in (sectionBuffer). Lines apply in file order, so a limit set by one line holds for the next. On any
// refusal, or when there is nothing to take, restore() puts the family's values back and DirtyKeys is
// put back as it was. A line of a read-only entry carrying the value shown is a description, not a
// setting: it is passed over; with another value it is refused.
struct ProfileHeading {
    std::string section;
    std::vector<EntryList*> lists;
};
struct ProfileOutcome {
    size_t applied = 0;
    std::vector<std::string> refused;  // "[Tuning] label=value: reason", in file order
    bool Taken() const { return applied > 0 && refused.empty(); }
};
// One line of a profile's section as read. problem says why no family could take it, whatever entries it
// holds: "not label=value", or "given twice" (the label, within its section). A section longer than
// its reader takes in is one line of its own, without text, refused whole: it would be cut short.
struct ProfileLine {
    std::string section;
    std::string text;  // the line as it stands; empty for a whole section refused
    std::string label;
    std::string value;
    std::string problem;
    // "[Tuning] label=value: reason", or "[Tuning]: reason"
    std::string Refusal() const;
};
// The lines of the sections, section by section in the order given, each in file order.
std::vector<ProfileLine> ReadProfileLines(const IniDocument& document,
                                          const std::vector<std::string>& sections, size_t sectionBuffer);

ProfileOutcome ApplyProfile(const IniDocument& document, const std::vector<ProfileHeading>& headings,
                            size_t sectionBuffer, const std::function<void(const ParamEntry&)>& afterEach,
                            const std::function<void()>& restore);
// The message of a profile not taken: its file and, one a line, what was refused (the first few).
std::string ProfileRefusalText(const std::string& path, const ProfileOutcome& outcome);

// "label=value" lines for every entry of the lists that belongs to owner, in list order.
std::string DescribeEntries(const void* owner, const std::vector<const EntryList*>& lists);
