#include "session/tuning_edit.h"

#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "session/family_table.h"
#include "session/tuning_rows.h"

namespace session {

namespace {

EditResult Refuse(const ParamEntry& entry, std::string reason, std::wstring message = {}) {
    Log("Edit of " + text::NarrowByLowByte(entry.key) + " refused: " + reason);
    return EditResult{EditOutcome::Refused, std::move(reason), false, std::move(message)};
}

// Whether a shown text that reads the same after the edit means the stored value is the same. It
// does not when it hides the stored number: "Unknown" stands for every value without a name, and a
// rounded value ("1.0") for every raw value that rounds to it.
bool ShownTextProvesUnchanged(const ParamEntry& entry, const std::wstring& shown, const std::wstring& typed) {
    if (entry.kind == ParamKind::Text) return true;
    if (shown == L"Unknown") return false;
    const auto shownNumber = text::ParseTypedNumber(text::TrimBlanks(shown));
    if (!shownNumber) return entry.kind == ParamKind::Enumeration;  // an option's name
    return shownNumber == text::ParseTypedNumber(typed);
}

}  // namespace

bool ApplyAfterEditRule(Family family, const std::wstring& key) {
    return Ops(family).afterEdit(key);
}

EditResult CommitEdit(Family family, const ParamEntry& entry, const std::wstring& typed,
                      const std::wstring& openedWith) {
    // The editor opens with the shown text: an enumeration's name or a rounded value would not read
    // back as what the controller holds, so committing it untouched must not store anything.
    if (typed == openedWith) return {};
    if (entry.readOnly) return Refuse(entry, "the value is read-only");
    if (!entry.setter) return Refuse(entry, "the value cannot be set");

    // The setter gets the number's own text, so it reads exactly what the range check read.
    std::wstring value = typed;
    if (entry.kind != ParamKind::Text) {
        value = text::TrimBlanks(typed);
        text::TypedNumberError error = text::TypedNumberError::None;
        const auto number = text::ParseTypedNumber(value, &error);
        if (error == text::TypedNumberError::DecimalComma)
            return Refuse(entry, "a decimal comma: use a point", L"Use a point for decimals: " + typed);
        if (!number) return Refuse(entry, "not a number", L"Not a number: " + typed);
        std::optional<ParamRange> range;
        try {
            range = EntryRange(entry);  // calls the entry's maximum, which some groups compute
        } catch (...) {
            return Refuse(entry, "its limits could not be read");
        }
        if (!range) return Refuse(entry, "the value has no numeric limits");
        if (!(range->low <= *number && *number <= range->high))
            return Refuse(entry, "out of range " + text::WideToUtf8(entry.minValue) + " .. " +
                                     paramdetail::NumberText(range->high));
    }

    const std::wstring before = CurrentText(entry);
    try {
        entry.setter(entry.owner, text::NarrowByLowByte(value));
    } catch (const std::exception& error) {
        return Refuse(entry, std::string("the value was not taken: ") + error.what());
    } catch (...) {
        return Refuse(entry, "the value was not taken");
    }
    // An option's index typed for the option shown, or 100.0 for 100: nothing changed.
    if (CurrentText(entry) == before && !DirtyKeys().count(entry.key) &&
        ShownTextProvesUnchanged(entry, before, value))
        return {};
    Log(text::NarrowByLowByte(entry.key) + " is dirty");
    DirtyKeys().insert(entry.key);
    EditResult result{EditOutcome::Stored, {}, false, {}};
    result.refreshDependents = ApplyAfterEditRule(family, entry.key);
    return result;
}

}  // namespace session
