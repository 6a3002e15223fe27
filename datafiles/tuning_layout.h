// Which lists appear under which heading of the tuning page, per family. The page, the data files and
// the command line all ask here (through the family table), so a backup lists exactly what a
// technician sees.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/param_entry.h"

namespace datafiles {

enum class TuningTab { Tuning, Stats, Info, Sink };

struct LayoutSection {
    std::string heading;                  // shown as written, misspellings included
    std::vector<const EntryList*> lists;  // in the order their rows follow the heading
};

struct TabLayout {
    TuningTab tab;
    std::vector<LayoutSection> sections;
};

// Each family's four tabs in registry order (Tuning, Stats, Info, Sink), each with its headings in
// order. A tab without headings is listed with none. Tercel's acceleration heading follows the speed
// response mode the controller holds, so the layout is taken afresh whenever the lists are rebuilt.
std::vector<TabLayout> Ev48400cLayout();
std::vector<TabLayout> FjLayout();
std::vector<TabLayout> TercelLayout();
// The four tabs without headings: nothing connected.
std::vector<TabLayout> EmptyLayout();

// The sections of one tab.
std::vector<LayoutSection> TabSections(const std::vector<TabLayout>& layout, TuningTab tab);

// The entries shown under the sections, in row order.
std::vector<const ParamEntry*> SectionRows(const std::vector<LayoutSection>& sections);

// Every list of the sections, in row order.
std::vector<const EntryList*> SectionLists(const std::vector<LayoutSection>& sections);

}  // namespace datafiles
