#include "session/tuning_edit.h"

#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "session/family_table.h"

namespace session {

namespace {

EditResult Refuse(const ParamEntry& entry, std::string reason) {
    Log("Edit of " + text::NarrowByLowByte(entry.key) + " refused: " + reason);
    return EditResult{EditOutcome::Refused, std::move(reason), false};
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

    if (entry.kind != ParamKind::Text) {
        std::string whyNot;
        const auto number = text::ParseLeadingDouble(typed, &whyNot);
        if (!number) return Refuse(entry, "not a number: " + whyNot);
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

    try {
        entry.setter(entry.owner, text::NarrowByLowByte(typed));
    } catch (const std::exception& error) {
        return Refuse(entry, std::string("the value was not taken: ") + error.what());
    } catch (...) {
        return Refuse(entry, "the value was not taken");
    }
    Log(text::NarrowByLowByte(entry.key) + " is dirty");
    DirtyKeys().insert(entry.key);
    EditResult result{EditOutcome::Stored, {}, false};
    result.refreshDependents = ApplyAfterEditRule(family, entry.key);
    return result;
}

}  // namespace session
