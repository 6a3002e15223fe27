#include "session/tuning_rows.h"

#include "core/text.h"
#include "session/family_table.h"

namespace session {

using datafiles::TuningTab;

size_t TabIndex(TuningTab tab) {
    switch (tab) {
        case TuningTab::Tuning:
            return 0;
        case TuningTab::Stats:
            return 1;
        case TuningTab::Info:
            return 2;
        case TuningTab::Sink:
            return 3;
    }
    return 0;
}

const std::array<ListColumn, 6> kTuningColumns = {{
    {L"Parameter Name", 325},
    {L"Current Value", 125},
    {L"Change To", 125},
    {L"Unit", 50},
    {L"Min", 100},
    {L"Max", 100},
}};

const wchar_t* TabTitle(TuningTab tab) {
    switch (tab) {
        case TuningTab::Tuning:
            return L"Tuning";
        case TuningTab::Stats:
            return L"Stats";
        case TuningTab::Info:
            return L"Info";
        case TuningTab::Sink:
            return L"Sink";
    }
    return L"";
}

bool IsEditableTab(TuningTab tab) {
    return tab == TuningTab::Tuning || tab == TuningTab::Sink;
}

std::wstring CurrentText(const ParamEntry& entry) {
    if (!entry.getter) return {};
    try {
        return text::Utf8ToWide(entry.getter(entry.owner));
    } catch (...) {
        return {};
    }
}

RowCells CellsOf(const ParamEntry& entry) {
    RowCells cells;
    cells.label = entry.label;
    cells.current = CurrentText(entry);
    cells.unit = entry.unit;
    cells.min = entry.minValue;
    if (!entry.readOnly) {
        cells.changeTo = cells.current;
        if (entry.maxValue) {
            try {
                cells.max = entry.maxValue(entry.owner);
            } catch (...) {
                cells.max.clear();
            }
        }
    }
    return cells;
}

void RowRegistry::Clear() {
    entries_.clear();
    for (auto& rows : rows_) rows.clear();
}

void RowRegistry::Rebuild(Family family) {
    Clear();
    for (const datafiles::TabLayout& tab : Ops(family).layout()) {
        auto& rows = rows_[TabIndex(tab.tab)];
        for (const datafiles::LayoutSection& section : tab.sections) {
            rows.push_back(TuningRow{kHeadingRowTag, text::Utf8ToWide(section.heading), nullptr});
            for (const EntryList* list : section.lists) {
                if (!list) continue;
                for (const ParamEntry& entry : *list) {
                    const auto index = static_cast<int32_t>(entries_.size());
                    entries_.push_back(&entry);
                    rows.push_back(TuningRow{entry.readOnly ? kReadOnlyRowTag : index, {}, &entry});
                }
            }
        }
    }
}

const std::vector<TuningRow>& RowRegistry::Rows(TuningTab tab) const {
    return rows_[TabIndex(tab)];
}

const ParamEntry* RowRegistry::EditableEntry(int32_t tag) const {
    if (tag < 0 || static_cast<size_t>(tag) >= entries_.size()) return nullptr;
    const ParamEntry* entry = entries_[static_cast<size_t>(tag)];
    return entry->readOnly ? nullptr : entry;
}

const ParamEntry* FindEntry(Family family, const std::wstring& name) {
    const ParamEntry* byLabel = nullptr;
    for (const datafiles::TabLayout& tab : Ops(family).layout()) {
        for (const EntryList* list : datafiles::SectionLists(tab.sections)) {
            if (!list) continue;
            for (const ParamEntry& entry : *list) {
                if (entry.key == name) return &entry;
                if (!byLabel && entry.label == name) byLabel = &entry;
            }
        }
    }
    return byLabel;
}

}  // namespace session
