// The commit of an edited value: what the tuning page's in-place editor and the command line's
// NAME=VALUE both go through, so a value refused on one is refused on the other.
#pragma once

#include <string>
#include <string_view>

#include "core/family.h"
#include "core/param_entry.h"

namespace session {

enum class EditOutcome {
    Unchanged,  // the text the editor opened with: nothing is stored, marked or refreshed
    Refused,    // read-only, not a number, out of range, or refused by the setter: nothing changed
    Stored,     // stored through the setter and the key marked dirty
};

struct EditResult {
    EditOutcome outcome = EditOutcome::Unchanged;
    std::string reason;              // one line saying why a value was refused
    bool refreshDependents = false;  // the family's after-edit rule changed other shown values
    std::wstring message;            // the refusal box's text; empty for "Value out of range"
};

inline constexpr std::wstring_view kRefusalTitle = L"Invalid";
inline constexpr std::wstring_view kRefusalText = L"Value out of range";

// Checks the typed text against the entry (read-only, the whole text a number for every kind but text,
// the range inclusive, option indices for enumerations shown by name), stores it through the setter, logs
// "{key} is dirty", adds the key to DirtyKeys and asks the family's after-edit rule about the key.
// openedWith is the text the editor was filled with; committing it unchanged does nothing. A maximum
// or setter that throws refuses the value and leaves the stored value and DirtyKeys as they were.
EditResult CommitEdit(Family family, const ParamEntry& entry, const std::wstring& typed,
                      const std::wstring& openedWith);

// The family's rule after an entry was stored: EV48-400-C and Tercel may change dependent values.
// True when the shown values must be refreshed.
bool ApplyAfterEditRule(Family family, const std::wstring& key);

}  // namespace session
