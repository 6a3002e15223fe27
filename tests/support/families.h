// The families as tests see them: every family back to "nothing read" through the family table, and a
// test over the table named after each family.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <string>

#include "core/param_registry.h"
#include "session/family_table.h"
#include "session/session.h"
#include "session/tuning_edit.h"
#include "session/tuning_rows.h"

namespace testsupport {

// Every list emptied too (synthetic ones included): the state of a fresh process.
inline void ResetFamilies() {
    session::ResetFamilies();
    ParamRegistry::Instance().Clear();
}

// A fixture that starts and ends with every family reset.
class FreshFamilies : public testing::Test {
protected:
    void SetUp() override { ResetFamilies(); }
    void TearDown() override { ResetFamilies(); }
};

// Values of the family's editable lists changed through the editor's commit, as a technician would:
// each to its maximum or, when that changes nothing and not maximumOnly, to its minimum; with
// onePerList only the first value of each list that takes a change. The keys whose value changed.
inline DirtyKeySet ChangeValues(Family family, bool onePerList, bool maximumOnly) {
    DirtyKeySet changed;
    for (const auto& tab : session::Ops(family).layout()) {
        if (!session::IsEditableTab(tab.tab)) continue;
        for (const EntryList* list : datafiles::SectionLists(tab.sections)) {
            std::vector<std::wstring> keys;
            for (const auto& entry : *list) keys.push_back(entry.key);
            for (const auto& key : keys) {
                // Looked up afresh: a commit may publish a group's entries again.
                const ParamEntry* entry = session::FindEntry(family, key);
                if (!entry || entry->readOnly || changed.count(key)) continue;
                const session::RowCells cells = session::CellsOf(*entry);
                for (const auto& value : {cells.max, maximumOnly ? cells.max : cells.min}) {
                    const std::wstring before = session::CurrentText(*session::FindEntry(family, key));
                    if (value.empty()) continue;
                    session::CommitEdit(family, *session::FindEntry(family, key), value, before);
                    // An option's index may name the option already shown.
                    if (session::CurrentText(*session::FindEntry(family, key)) == before) continue;
                    changed.insert(key);
                    break;
                }
                if (onePerList && changed.count(key)) break;
            }
        }
    }
    return changed;
}

// "FJ", "EV48400C", "Tercel": the family's name as a test name may hold it.
inline std::string FamilyTestName(const testing::TestParamInfo<const session::FamilyOps*>& info) {
    std::string name;
    for (const char c : std::string(info.param->name))
        if (std::isalnum(static_cast<unsigned char>(c))) name += c;
    return name;
}

}  // namespace testsupport

// One instance of a test over the family table per family.
#define VANTREL_INSTANTIATE_OVER_FAMILIES(suite)                                      \
    INSTANTIATE_TEST_SUITE_P(Families, suite, testing::ValuesIn(session::Families()), \
                             testsupport::FamilyTestName)
