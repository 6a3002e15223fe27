// Backups and profiles without a controller: the three families filled with values inside their limits,
// saved and loaded through the prompter's file dialogs.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "core/hex_text.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "ev48400c/frame_codec.h"
#include "ev48400c/message_store.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/family_state.h"
#include "tercel/motor.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/temp_dir.h"

namespace datafilestest {

using datafiles::DataFilePart;
inline const DataFilePart* const kFj = &datafiles::kFjDataFile;
inline const DataFilePart* const kTercel = &datafiles::kTercelDataFile;
inline const DataFilePart* const kEv = &datafiles::kEv48400cDataFile;
inline const host::LocalTime kJuly8 = {2025, 7, 8, 14, 5, 9, 0};

// Every editable entry of the tabs a backup writes, at the low end of its limits.
inline void AtLowLimits(const std::vector<datafiles::TabLayout>& layout) {
    for (const auto tab : {datafiles::TuningTab::Tuning, datafiles::TuningTab::Sink})
        for (const ParamEntry* entry : datafiles::SectionRows(datafiles::TabSections(layout, tab))) {
            if (entry->readOnly) continue;
            const auto range = EntryRange(*entry);
            ASSERT_TRUE(range) << text::WideToUtf8(entry->label);
            char low[32];
            std::snprintf(low, sizeof low, "%g", range->low);
            entry->setter(entry->owner, low);
        }
}

// What the families hold: every FJ value, every Tercel register that is not 0, the EV48-400-C
// accelerator group's bytes, and the keys marked for writing.
inline std::string State() {
    std::string out;
    const auto& table = FJ::FjValueTable::Instance();
    for (uint8_t g = 0; g < FJ::kGroupCount; ++g)
        for (uint8_t i = 0; i < FJ::kIndexCount; ++i) out += std::to_string(table.Get(g, i)) + ',';
    const std::map<uint16_t, uint16_t> registers(Tercel::Registers().begin(), Tercel::Registers().end());
    for (const auto& [address, value] : registers)
        if (value != 0) out += std::to_string(address) + '=' + std::to_string(value) + ',';
    if (const auto& pedal = EV48400C::Messages().acceleratorPedal) out += ToHex(pedal->Serialize());
    for (const auto& key : DirtyKeys()) out += '|' + text::WideToUtf8(key);
    return out;
}

class DataFileTest : public testing::Test {
protected:
    void SetUp() override { Fill(); }
    void TearDown() override { testsupport::ResetFamilies(); }

    // FJ and Tercel at the low end of their limits, the EV48-400-C accelerator group read, nothing marked.
    static void Fill() {
        testsupport::ResetFamilies();
        FJ::BuildEntryLists();
        AtLowLimits(datafiles::FjLayout());
        auto& objects = Tercel::Objects();
        const auto make = [](auto& block) {
            block = std::make_shared<typename std::remove_reference_t<decltype(block)>::element_type>();
            block->BuildParamEntries();
        };
        make(objects.config), make(objects.driveInfo), make(objects.motor);
        make(objects.speedControl), make(objects.vehicle);
        auto& registers = Tercel::Registers();
        registers[Tercel::kSpeedResponseModeRegister] = 0;
        registers[Tercel::kCurrentScaleRegister] = 1;
        registers[Tercel::kMaxCurrentRegister] = 32767;  // one ampere per count
        AtLowLimits(datafiles::TercelLayout());
        ASSERT_TRUE(EV48400C::ParseInto(
            EV48400C::Messages().acceleratorPedal,
            EV48400C::SealFrame(EV48400C::NewFrame(EV48400C::kAcceleratorPedalId), "test")));
        DirtyKeys().clear();
    }

    datafiles::DataFileContext Context(const DataFilePart* part) const {
        datafiles::DataFileContext context;
        context.part = part;
        context.executableDirectory = dir_.Path();
        context.createBackupsFolder = false;
        return context;
    }
    // Saved through the dialog; the text written.
    std::string Save(const DataFilePart* part) {
        prompter_.saveFile = dir_ / "saved.vtdata";
        EXPECT_TRUE(datafiles::SaveBackup(Context(part), kJuly8));
        return testsupport::ReadFileBytes(dir_ / "saved.vtdata");
    }
    bool Load(const DataFilePart* part, const std::string& text) {
        testsupport::WriteFileBytes(dir_ / "loaded.vtdata", text);
        prompter_.openFile = dir_ / "loaded.vtdata";
        prompter_.messages.clear();
        return datafiles::LoadDataFile(Context(part));
    }
    std::string Warning() const {
        return prompter_.messages.empty() ? std::string() : text::WideToUtf8(prompter_.messages.back());
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
};

}  // namespace datafilestest
