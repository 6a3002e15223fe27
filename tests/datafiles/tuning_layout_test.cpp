// Tercel's acceleration heading follows the speed response mode the controller holds: the one rule of
// the layouts that is not a fixed table.
#include <gtest/gtest.h>

#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/tuning_layout.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/register_entries.h"

TEST(TuningLayout, TercelAccelerationFollowsTheSpeedResponseMode) {
    ParamRegistry::Instance().Clear();
    for (const auto name : {Tercel::kAccelerationMode0List, Tercel::kAccelerationMode1List}) {
        ParamRegistry::Instance().List(name) = {ParamEntry{}};
        ParamRegistry::Instance().List(name)[0].label = text::Utf8ToWide(name);  // a row named after its list
    }
    for (const auto& [mode, expected] : {std::pair<uint16_t, std::wstring>{0, L"Tercel Acceleration Mode 0"},
                                         {1, L"Tercel Acceleration Mode 1"},
                                         {2, L""}}) {
        Tercel::Registers()[Tercel::kSpeedResponseModeRegister] = mode;
        std::wstring rows;
        for (const auto& section :
             datafiles::TabSections(datafiles::TercelLayout(), datafiles::TuningTab::Tuning))
            if (section.heading == "Accelleration/Deceleration")
                for (const ParamEntry* row : datafiles::SectionRows({section})) rows += row->label;
        EXPECT_EQ(rows, expected) << mode;
    }
    ParamRegistry::Instance().Clear();
    Tercel::Registers().clear();
}
