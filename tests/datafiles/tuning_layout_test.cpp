// Tercel's acceleration heading follows the speed response mode the controller holds: the one rule of
// the layouts that is not a fixed table.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/tuning_layout.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/register_entries.h"

namespace {

using datafiles::TuningTab;

TEST(TuningLayout, TercelAccelerationFollowsTheSpeedResponseMode) {
    ParamRegistry::Instance().Clear();
    // One marker row per list, named after it.
    for (const auto name : {Tercel::kAccelerationMode0List, Tercel::kAccelerationMode1List}) {
        ParamEntry entry;
        entry.label = text::Utf8ToWide(name);
        ParamRegistry::Instance().List(name) = {entry};
    }
    const struct {
        uint16_t mode;
        std::vector<std::wstring> rows;
    } cases[] = {
        {0, {L"Tercel Acceleration Mode 0"}},
        {1, {L"Tercel Acceleration Mode 1"}},
        {2, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        Tercel::Registers()[Tercel::kSpeedResponseModeRegister] = c.mode;
        std::vector<std::wstring> rows;
        for (const auto& section : datafiles::TabSections(datafiles::TercelLayout(), TuningTab::Tuning))
            if (section.heading == "Accelleration/Deceleration")
                for (const ParamEntry* row : datafiles::SectionRows({section})) rows.push_back(row->label);
        EXPECT_EQ(rows, c.rows);
    }
    ParamRegistry::Instance().Clear();
    Tercel::Registers().clear();
}

}  // namespace
