// The rows of the tuning page's four lists and the registry behind their tags. The page draws these
// rows and the command line prints them, so both show the same entries under the same headings.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/family.h"
#include "core/param_entry.h"
#include "datafiles/tuning_layout.h"

namespace session {

inline constexpr int32_t kHeadingRowTag = -555;
inline constexpr int32_t kReadOnlyRowTag = -666;

struct TuningRow {
    int32_t tag = kHeadingRowTag;       // the entry's registry index, or one of the two tags
    std::wstring heading;               // heading rows only
    const ParamEntry* entry = nullptr;  // entry rows, read-only ones included

    bool IsHeading() const { return entry == nullptr; }
};

// The six cells of an entry row, in column order: "Parameter Name", "Current Value", "Change To",
// "Unit", "Min", "Max".
struct RowCells {
    std::wstring label;
    std::wstring current;
    std::wstring changeTo;
    std::wstring unit;
    std::wstring min;
    std::wstring max;
};

// A read-only row leaves "Change To" and "Max" empty. A getter or maximum that fails shows as empty
// text rather than ending the program.
RowCells CellsOf(const ParamEntry& entry);
// The entry's current value text, widened; empty when the getter fails.
std::wstring CurrentText(const ParamEntry& entry);

// The titles and widths of the six columns.
struct ListColumn {
    const wchar_t* title;
    int width;
};
extern const std::array<ListColumn, 6> kTuningColumns;

// The tab's place in registry order: Tuning, Stats, Info, Sink.
size_t TabIndex(datafiles::TuningTab tab);
// "Tuning", "Stats", "Info", "Sink".
const wchar_t* TabTitle(datafiles::TuningTab tab);

class RowRegistry {
public:
    // Empties everything and takes the family's layout afresh: Tercel's acceleration heading follows
    // the mode the controller holds.
    void Rebuild(Family family);
    void Clear();

    const std::vector<TuningRow>& Rows(datafiles::TuningTab tab) const;
    // The editable entry behind a row's tag; none for headings, read-only rows and unknown tags.
    const ParamEntry* EditableEntry(int32_t tag) const;
    const std::vector<const ParamEntry*>& Entries() const { return entries_; }

private:
    std::vector<const ParamEntry*> entries_;
    std::array<std::vector<TuningRow>, 4> rows_;
};

// Only the "Tuning" and "Sink" lists open an editor on their "Change To" cells.
bool IsEditableTab(datafiles::TuningTab tab);

// An entry of the family's tuning layout by key or, failing that, by label; none when neither
// matches. Labels compare exactly; keys too.
const ParamEntry* FindEntry(Family family, const std::wstring& name);

}  // namespace session
