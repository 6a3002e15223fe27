#include "session/read_values.h"

#include <set>

#include "core/param_registry.h"
#include "core/text.h"
#include "session/family_table.h"
#include "session/tuning_rows.h"

namespace session {

namespace {

std::vector<const ParamEntry*> LayoutEntries(Family family) {
    std::vector<const ParamEntry*> entries;
    std::set<std::wstring> seen;
    for (const auto& tab : Ops(family).layout())
        for (const ParamEntry* entry : datafiles::SectionRows(tab.sections))
            if (seen.insert(entry->key).second) entries.push_back(entry);
    return entries;
}

// Stores the text through the setter. An enumeration shown by option name takes its option index,
// so the name is found by trying each index.
bool PutBack(const ParamEntry& entry, const std::wstring& shown) {
    if (!entry.setter) return false;
    try {
        if (CurrentText(entry) == shown) return true;
        if (entry.optionCount > 0) {
            for (int32_t option = 0; option < entry.optionCount; ++option) {
                entry.setter(entry.owner, std::to_string(option));
                if (CurrentText(entry) == shown) return true;
            }
            return false;
        }
        entry.setter(entry.owner, text::NarrowByLowByte(shown));
        return CurrentText(entry) == shown;
    } catch (...) {
        return false;
    }
}

}  // namespace

void ReadValues::Take(Family family) {
    const FamilyOps& ops = Ops(family);
    for (const ParamEntry* entry : LayoutEntries(family))
        if (ops.entryWasRead(*entry)) values_[entry->key] = CurrentText(*entry);
}

void ReadValues::TakeConfirmed(Family family, const std::vector<std::wstring>& keys) {
    const std::set<std::wstring> confirmed(keys.begin(), keys.end());
    for (const ParamEntry* entry : LayoutEntries(family))
        if (confirmed.count(entry->key)) values_[entry->key] = CurrentText(*entry);
}

std::vector<const ParamEntry*> ReadValues::Entries(Family family) {
    return LayoutEntries(family);
}

std::optional<std::wstring> ReadValues::Of(const std::wstring& key) const {
    const auto found = values_.find(key);
    if (found == values_.end()) return std::nullopt;
    return found->second;
}

std::vector<const ParamEntry*> ReadValues::Unread(Family family) const {
    std::vector<const ParamEntry*> unread;
    for (const ParamEntry* entry : LayoutEntries(family))
        if (!Has(entry->key)) unread.push_back(entry);
    return unread;
}

ReadValues& LastRead() {
    static ReadValues values;
    return values;
}

bool RestoreLastRead(Family family) {
    bool all = true;
    for (const ParamEntry* entry : LayoutEntries(family)) {
        if (!DirtyKeys().count(entry->key)) continue;
        const auto shown = LastRead().Of(entry->key);
        if (!shown || !PutBack(*entry, *shown)) all = false;
    }
    return all;
}

}  // namespace session
