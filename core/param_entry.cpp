#include "core/param_entry.h"

#include <algorithm>
#include <limits>
#include <set>

#include "core/ini_file.h"
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

std::string ParamValueProblem(const ParamEntry& entry, const std::string& value) {
    // A shown-only value (live data, identification) is never something to send to a controller.
    if (entry.readOnly) return "it is read-only";
    if (entry.kind == ParamKind::Text) return {};
    text::TypedNumberError error = text::TypedNumberError::None;
    const auto number = text::ParseTypedNumber(value, &error);
    if (!number)
        return error == text::TypedNumberError::DecimalComma ? "a decimal comma: use a point"
                                                             : "not a number";
    // Bounds are read the way the tuning page reads them; a bound without a number (an option name, an
    // empty text) admits nothing unless the entry counts its options. NaN never reaches here, and
    // !(a && b) would refuse it.
    const auto range = EntryRange(entry);
    if (!range) return "the entry takes no number";
    if (!(range->low <= *number && *number <= range->high))
        return "outside its limits " + text::WideToUtf8(entry.minValue) + " to " +
               (entry.maxValue ? text::WideToUtf8(entry.maxValue(entry.owner)) : std::string());
    return {};
}

bool ApplyParamValue(EntryList& entries, const std::string& key, const std::string& value, std::string* why) {
    const auto refuse = [why](std::string reason) {
        if (why) *why = std::move(reason);
        return false;
    };
    const std::wstring label = text::Utf8ToWide(key);
    const auto entry =
        std::find_if(entries.begin(), entries.end(), [&](const ParamEntry& e) { return e.label == label; });
    if (entry == entries.end()) {
        Log("No matching entry found for: " + key);
        return refuse("no such setting");
    }
    if (const std::string problem = ParamValueProblem(*entry, value); !problem.empty()) {
        if (entry->readOnly)
            Log("Read-only entry not changed: " + key);
        else if (problem == "not a number" || problem == "a decimal comma: use a point")
            Log("Invalid value for key: " + key + " -> " + problem);
        else
            Log("Value out of range for " + key + ": " + value);
        return refuse(problem);
    }
    try {
        if (!entry->setter) throw std::bad_function_call();
        entry->setter(entry->owner, value);
    } catch (...) {
        Log("Setter failed for: " + key);
        return refuse("the value cannot be stored");
    }
    DirtyKeys().insert(entry->key);
    Log("Updated: " + key + " = " + value);
    return true;
}

std::string ProfileLine::Refusal() const {
    return "[" + section + "]" + (text.empty() ? "" : " " + text) + ": " + problem;
}

std::vector<ProfileLine> ReadProfileLines(const IniDocument& document,
                                          const std::vector<std::string>& sections, size_t sectionBuffer) {
    constexpr size_t kWhole = std::numeric_limits<size_t>::max();
    std::vector<ProfileLine> out;
    for (const auto& section : sections) {
        // Within a section a label names one entry; two groups' sections may share a label.
        std::set<std::wstring> labels;
        const auto lines = document.GetSectionLines(section, sectionBuffer);
        // What the reader would have cut off is not applied in part: the whole section is refused.
        if (lines != document.GetSectionLines(section, kWhole)) {
            out.push_back(
                {section,
                 {},
                 {},
                 {},
                 "longer than " + std::to_string(sectionBuffer) + " characters, it would be cut short"});
            continue;
        }
        for (const auto& line : lines) {
            ProfileLine read{section, line, {}, {}, {}};
            const size_t equals = line.find('=');
            if (equals == std::string::npos || equals == 0) {
                read.problem = "not label=value";
            } else {
                read.label = line.substr(0, equals);
                read.value = line.substr(equals + 1);
                if (!labels.insert(text::Utf8ToWide(read.label)).second) read.problem = "given twice";
            }
            out.push_back(std::move(read));
        }
    }
    return out;
}

ProfileOutcome ApplyProfile(const IniDocument& document, const std::vector<ProfileHeading>& headings,
                            size_t sectionBuffer, const std::function<void(const ParamEntry&)>& afterEach,
                            const std::function<void()>& restore) {
    ProfileOutcome outcome;
    const DirtyKeySet dirtyBefore = DirtyKeys();
    std::vector<std::string> sections;
    for (const auto& heading : headings) sections.push_back(heading.section);
    // Two labels may name one entry: it is given once, by whichever label.
    std::set<std::wstring> seen;
    for (const auto& line : ReadProfileLines(document, sections, sectionBuffer)) {
        const auto refuse = [&](const std::string& reason) {
            ProfileLine refused = line;
            refused.problem = reason;
            outcome.refused.push_back(refused.Refusal());
            Log("Profile line refused: " + refused.Refusal());
        };
        if (!line.problem.empty()) {
            refuse(line.problem);
            continue;
        }
        const ProfileHeading& heading = *std::find_if(
            headings.begin(), headings.end(), [&](const auto& h) { return h.section == line.section; });
        const std::string& key = line.label;
        Log("Key= " + key + " : Value=" + line.value);
        const std::wstring label = text::Utf8ToWide(key);
        EntryList* target = nullptr;
        const ParamEntry* entry = nullptr;
        for (EntryList* list : heading.lists)
            for (const auto& candidate : *list)
                if (!entry && candidate.label == label) {
                    target = list;
                    entry = &candidate;
                }
        if (!entry) {
            Log("No matching entry found for: " + key);
            refuse("no such setting under [" + heading.section + "]");
            continue;
        }
        if (!seen.insert(entry->key.empty() ? label : entry->key).second) {
            refuse("given twice");
            continue;
        }
        if (entry->readOnly) {
            if (entry->getter && entry->getter(entry->owner) == line.value) continue;  // as it is: described
            refuse("it is read-only");
            continue;
        }
        std::string why;
        if (!ApplyParamValue(*target, key, line.value, &why)) {
            refuse(why);
            continue;
        }
        ++outcome.applied;
        if (afterEach) {
            // Looked up again: storing a value may publish the group's entries anew.
            for (const auto& applied : *target)
                if (applied.label == label) {
                    afterEach(applied);
                    break;
                }
        }
    }
    if (!outcome.Taken()) {
        if (restore) restore();
        DirtyKeys() = dirtyBefore;
        Log(outcome.refused.empty() ? "Profile holds no settings: nothing changed"
                                    : "Profile refused: nothing changed");
    }
    return outcome;
}

std::string ProfileRefusalText(const std::string& path, const ProfileOutcome& outcome) {
    constexpr size_t kShown = 10;
    if (outcome.refused.empty()) return "The profile holds no settings and was not loaded:\n" + path;
    std::string message = "The profile was not loaded; nothing was changed:\n" + path;
    for (size_t i = 0; i < outcome.refused.size() && i < kShown; ++i) message += "\n" + outcome.refused[i];
    if (outcome.refused.size() > kShown)
        message += "\n... and " + std::to_string(outcome.refused.size() - kShown) + " more";
    return message;
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
