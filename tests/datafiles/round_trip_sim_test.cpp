// A backup put back onto a simulated controller of each family: after a change to every editable list is
// written, loading the backup marks only what changed, and writing it gives back what the controller held.
// Under Wine, wine_sim_test.sh maps the simulator of the family GTEST_FILTER names as a COM port.
#include <gtest/gtest.h>

#include <cstdlib>

#include "datafiles/data_file.h"
#include "serial/serial_port.h"
#include "session/tuning_actions.h"
#include "session/tuning_rows.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/temp_dir.h"
#ifndef _WIN32
#include "sim/state_text.h"
#include "tests/support/posix/sim_process.h"
#endif

namespace {

using Values = std::map<std::wstring, std::wstring>;

// The editable values shown, by key.
Values EditableValues(Family family) {
    session::RowRegistry registry;
    registry.Rebuild(family);
    Values values;
    for (const auto tab : {datafiles::TuningTab::Tuning, datafiles::TuningTab::Sink})
        for (const auto& row : registry.Rows(tab))
            if (row.entry && !row.entry->readOnly) values[row.entry->key] = session::CurrentText(*row.entry);
    return values;
}

class BackupRoundTrip : public testing::TestWithParam<const session::FamilyOps*> {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
#ifdef _WIN32
        const char* port = std::getenv("VANTREL_TEST_COM_PORT");
        ASSERT_NE(port, nullptr) << "run through wine_sim_test.sh";
        port_ = port;
#else
        simulator_ = std::make_unique<testsupport::SimProcess>(Ops().name, dir_.Path());
        ASSERT_TRUE(simulator_->Ready());
        port_ = simulator_->PortName();
#endif
        ASSERT_TRUE(SerialPort::Instance().Open(port_, Ops().baudRate));
    }
    void TearDown() override {
        SerialPort::Instance().Close();
        testsupport::ResetFamilies();
    }
    const session::FamilyOps& Ops() const {
        return *GetParam();
    }
    datafiles::DataFileContext Context() const {
        datafiles::DataFileContext context;
        context.part = Ops().dataFile;
        context.executableDirectory = dir_.Path();
        return context;
    }
    // Every value written is confirmed, and forgotten here: the controller gives it back.
    Values WriteAndReadBack() {
        session::WritePendingChanges(Ops().family);
        EXPECT_TRUE(DirtyKeys().empty()) << "every write confirmed";
        testsupport::ResetFamilies();
        EXPECT_TRUE(Ops().makeDriver()->Identify());
        return EditableValues(Ops().family);
    }
    std::string SimulatorState() const {
#ifdef _WIN32
        return {};  // out of reach: the values read back stand for it
#else
        return testsupport::ReadFileBytes(simulator_->StatePath());
#endif
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
    std::string port_;
#ifndef _WIN32
    std::unique_ptr<testsupport::SimProcess> simulator_;
#endif
};

TEST_P(BackupRoundTrip, PutsBackWhatTheControllerHeld) {
    ASSERT_TRUE(Ops().makeDriver()->Identify());
    const Values atBackup = EditableValues(Ops().family);
    const std::string stateAtBackup = SimulatorState();
    prompter_.saveFile = dir_ / "backup.vtdata";
    ASSERT_TRUE(datafiles::SaveBackup(Context()));

    const DirtyKeySet changed = testsupport::ChangeValues(Ops().family, true, false);
    ASSERT_GE(changed.size(), 2u);
    const Values written = EditableValues(Ops().family);
    EXPECT_EQ(WriteAndReadBack(), written);

    prompter_.openFile = dir_ / "backup.vtdata";
    ASSERT_TRUE(datafiles::LoadDataFile(Context()));
    EXPECT_EQ(DirtyKeys(), changed);
    EXPECT_EQ(WriteAndReadBack(), atBackup);
    EXPECT_EQ(SimulatorState(), stateAtBackup);
}

VANTREL_INSTANTIATE_OVER_FAMILIES(BackupRoundTrip);

}  // namespace
