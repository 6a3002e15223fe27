// Which lists appear under which heading of the tuning page, per family. The page, the data files and
// the command line all ask here, so a backup lists exactly what a technician sees.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/param_entry.h"

namespace datafiles {

enum class Family { None, EV48400C, FJ, Tercel };

// "EV48-400-C", "FJ", "Tercel"; empty for none.
std::string FamilyName(Family family);

enum class TuningTab { Tuning, Stats, Info, Sink };

struct LayoutSection {
    std::string heading;                  // shown as written, misspellings included
    std::vector<const EntryList*> lists;  // in the order their rows follow the heading
};

struct TabLayout {
    TuningTab tab;
    std::vector<LayoutSection> sections;
};

// The four tabs in registry order (Tuning, Stats, Info, Sink), each with its headings in order. A tab
// without headings is listed with none. Tercel's acceleration heading follows the speed response mode
// the controller holds, so the layout is taken afresh whenever the lists are rebuilt.
std::vector<TabLayout> TuningLayout(Family family);

// The sections of one tab.
std::vector<LayoutSection> TabSections(Family family, TuningTab tab);

// The entries shown under the sections, in row order.
std::vector<const ParamEntry*> SectionRows(const std::vector<LayoutSection>& sections);

// Every list of the sections, in row order.
std::vector<const EntryList*> SectionLists(const std::vector<LayoutSection>& sections);

}  // namespace datafiles
