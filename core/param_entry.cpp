#include "core/param_entry.h"

#include <algorithm>

#include "core/param_registry.h"

ParamMaxFunction FixedMax(std::wstring value) {
    return [value = std::move(value)](void*) { return value; };
}

std::optional<ParamRange> EntryRange(const ParamEntry& entry) {
    const auto low = text::ParseLeadingDouble(entry.minValue);
    const auto high = entry.maxValue ? text::ParseLeadingDouble(entry.maxValue(entry.owner)) : std::nullopt;
    if (low && high) return ParamRange{*low, *high};
    if (entry.optionCount > 0) return ParamRange{0, static_cast<double>(entry.optionCount - 1)};
    return std::nullopt;
}

bool ApplyParamValue(EntryList& entries, const std::string& key, const std::string& value) {
    const std::wstring label = text::Utf8ToWide(key);
    const auto entry =
        std::find_if(entries.begin(), entries.end(), [&](const ParamEntry& e) { return e.label == label; });
    if (entry == entries.end()) {
        Log("No matching entry found for: " + key);
        return false;
    }
    // A shown-only value (live data, identification) is never something to send to a controller.
    if (entry->readOnly) {
        Log("Read-only entry not changed: " + key);
        return false;
    }
    if (entry->kind != ParamKind::Text) {
        text::TypedNumberError error = text::TypedNumberError::None;
        const auto number = text::ParseTypedNumber(value, &error);
        if (!number) {
            Log("Invalid value for key: " + key + " -> " +
                (error == text::TypedNumberError::DecimalComma ? "a decimal comma: use a point" : "not a number"));
            return false;
        }
        // Bounds are read the way the tuning page reads them; a bound without a number (an option
        // name, an empty text) admits nothing unless the entry counts its options. NaN never reaches
        // here, and !(a && b) would refuse it.
        const auto range = EntryRange(*entry);
        if (!range || !(range->low <= *number && *number <= range->high)) {
            Log("Value out of range for " + key + ": " + value);
            return false;
        }
    }
    try {
        if (!entry->setter) throw std::bad_function_call();
        entry->setter(entry->owner, value);
    } catch (...) {
        Log("Setter failed for: " + key);
        return false;
    }
    DirtyKeys().insert(entry->key);
    Log("Updated: " + key + " = " + value);
    return true;
}

std::string DescribeEntries(const void* owner, const std::vector<const EntryList*>& lists) {
    std::string out;
    for (const EntryList* list : lists) {
        if (!list) continue;
        for (const auto& entry : *list) {
            if (entry.owner != owner || !entry.getter) continue;
            out += text::NarrowByLowByte(entry.label);
            out += '=';
            out += entry.getter(entry.owner);
            out += '\n';
        }
    }
    return out;
}
