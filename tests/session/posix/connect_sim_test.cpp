// Connecting to a simulated controller of each family: what does not answer again keeps the value last
// read, a write counts as done only when the controller confirmed it, and a second controller shows, saves
// and is given nothing of the first.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "app/cards/tuning_model.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "datafiles/data_file.h"
#include "serial/serial_port.h"
#include "session/probe.h"
#include "session/read_values.h"
#include "session/session.h"
#include "session/tuning_actions.h"
#include "session/tuning_edit.h"
#include "session/tuning_rows.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using datafiles::TuningTab;
using Shown = std::set<std::pair<std::wstring, std::wstring>>;  // entry key, current value
using Lines = std::set<std::string>;

// What the rows of the family's pages show: the value last read ("Current Value") and the model's
// ("Change To").
Shown ShownValues(Family family) {
    session::RowRegistry registry;
    registry.Rebuild(family);
    Shown shown;
    for (const TuningTab tab : {TuningTab::Tuning, TuningTab::Stats, TuningTab::Info, TuningTab::Sink})
        for (const auto& row : registry.Rows(tab)) {
            if (row.IsHeading()) continue;
            shown.insert({row.entry->key, session::CurrentText(*row.entry)});
            if (const auto read = session::LastRead().Of(row.entry->key))
                shown.insert({row.entry->key, *read});
        }
    return shown;
}

// The items of a that are (or, with in false, are not) in b.
template <typename Set>
Set Filter(const Set& a, const Set& b, bool in) {
    Set out;
    for (const auto& item : a)
        if (b.count(item) == static_cast<size_t>(in)) out.insert(item);
    return out;
}

// One value of the first controller changed again and not written.
void LeaveOneChangePending(Family family, const Shown& atStart) {
    for (const auto& [key, value] : ShownValues(family)) {
        const ParamEntry* entry = session::FindEntry(family, key);
        if (!entry || entry->readOnly || atStart.count({key, value})) continue;
        const session::RowCells cells = session::CellsOf(*entry);
        if (cells.min == cells.current || atStart.count({key, cells.min})) continue;
        if (session::CommitEdit(family, *entry, cells.min, cells.current).outcome ==
            session::EditOutcome::Stored)
            return;
    }
    ADD_FAILURE() << "no change left pending";
}

class Connection : public testing::TestWithParam<const session::FamilyOps*> {
protected:
    void SetUp() override { TearDown(); }
    void TearDown() override {
        session::EndConnection();
        testsupport::ResetFamilies();
    }
    void Connect(const testsupport::SimProcess& simulator) {
        ASSERT_TRUE(simulator.Ready());
        session::ProbeOptions options;
        options.readingPauses = false;
        ASSERT_EQ(session::Connect(SerialPort::Instance(), simulator.PortName(), {Family()}, options).family,
                  Family());
    }
    Lines Backup() {
        datafiles::DataFileContext context;
        context.part = GetParam()->dataFile;
        context.executableDirectory = dir_.Path();
        prompter_.saveFile = dir_ / "backup.vtdata";
        EXPECT_TRUE(datafiles::SaveBackup(context, host::LocalTime{2025, 7, 8, 14, 5, 9, 0}));
        std::istringstream text(testsupport::ReadFileBytes(*prompter_.saveFile));
        Lines lines;
        for (std::string line; std::getline(text, line);) lines.insert(line);
        return lines;
    }
    ::Family Family() const { return GetParam()->family; }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
};

// The request whose answer the second controller loses: a read of tuning values, after the reads
// without which the controller is not identified.
int LostRequest(Family family) {
    // EV48-400-C: the motor parameters; FJ: the second speed tuning value; Tercel: a tuning value.
    return family == Family::EV48400C ? 4 : family == Family::FJ ? 6 : 30;
}

// Reset puts the pending edit back and reads again; what does not answer keeps the value last read
// and is named.
TEST_P(Connection, ResetKeepsWhatItCouldNotReadAgain) {
    size_t requests = 0;  // what a connection takes on a clean line
    {
        testsupport::TempDir folder;
        const auto stats = folder / "stats.txt";
        testsupport::SimProcess clean(GetParam()->name, folder.Path(), {"--stats", stats.string()});
        Connect(clean);
        session::EndConnection();
        clean.Stop();
        std::istringstream counts(testsupport::ReadFileBytes(stats));  // name and count, pair after pair
        for (std::string name, count; counts >> name >> count;)
            if (name == "answers") requests = std::stoul(count);
    }
    ASSERT_GT(requests, 0u);
    // The same read as the connection loses, now in the Reset's read, which has no contact request.
    testsupport::SimProcess simulator(
        GetParam()->name, dir_.Path(),
        {"--fault", "silent", "--fault-on", std::to_string(requests + LostRequest(Family()) - 1)});
    Connect(simulator);
    const Shown before = ShownValues(Family());
    LeaveOneChangePending(Family(), {});
    ASSERT_FALSE(DirtyKeys().empty());

    // The page's Reset, and the rebuild it posts itself.
    app::TuningModel page(dir_.Path());
    page.Reset();
    page.RebuildLists();
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_TRUE(session::ReadState(Family()).unread.empty());
    EXPECT_EQ(ShownValues(Family()), before);
    EXPECT_THAT(GetStatus(), testing::HasSubstr(L"could not be read: press Reset to read"));
}

// A controller that refuses every write: each changed value is reported as not confirmed, stays marked,
// and reaches nothing.
TEST_P(Connection, OnlyAConfirmedWriteCountsAsDone) {
    testsupport::SimProcess simulator(GetParam()->name, dir_.Path(), {"--refuse-writes"});
    Connect(simulator);
    const DirtyKeySet changed = testsupport::ChangeValues(Family(), true, false);
    ASSERT_FALSE(changed.empty());
    const std::string stateBefore = testsupport::ReadFileBytes(simulator.StatePath());
    const WriteOutcome outcome = session::WritePendingChanges(Family());
    EXPECT_TRUE(outcome.confirmed.empty());
    EXPECT_EQ(DirtyKeySet(outcome.notConfirmed.begin(), outcome.notConfirmed.end()), changed);
    EXPECT_EQ(DirtyKeys(), changed);
    session::EndConnection();
    simulator.Stop();
    EXPECT_EQ(testsupport::ReadFileBytes(simulator.StatePath()), stateBefore);
}

TEST_P(Connection, NothingOfThePreviousControllerIsShownSavedOrWritten) {
    // The first controller, read as it comes and again after every value was raised.
    testsupport::TempDir firstFolder;
    testsupport::SimProcess first(GetParam()->name, firstFolder.Path());
    Connect(first);
    const Shown atStart = ShownValues(Family());
    const Lines backupAtStart = Backup();
    // Maxima rather than minima, so that no value given is the 0 of a value never read.
    const DirtyKeySet raised = testsupport::ChangeValues(Family(), false, true);
    const WriteOutcome written = session::WritePendingChanges(Family());
    EXPECT_EQ(DirtyKeySet(written.confirmed.begin(), written.confirmed.end()), raised);
    ASSERT_TRUE(DirtyKeys().empty()) << "the first controller confirmed every write";
    session::ReadEverything(Family());
    const Shown firstOnly = Filter(ShownValues(Family()), atStart, false);
    const Lines firstOnlyBackup = Filter(Backup(), backupAtStart, false);
    ASSERT_FALSE(firstOnly.empty());
    LeaveOneChangePending(Family(), atStart);
    session::EndConnection();

    // The second controller holds what the first held at the start, and loses one answer.
    testsupport::TempDir secondFolder;
    testsupport::SimProcess second(
        GetParam()->name, secondFolder.Path(),
        {"--fault", "silent", "--fault-on", std::to_string(LostRequest(Family()))});
    Connect(second);
    const Shown shown = ShownValues(Family());
    EXPECT_EQ(Filter(shown, firstOnly, true), Shown{});
    // The lost answer was one of the values the first controller was given.
    bool lostAChangedValue = false;
    for (const auto& [key, value] : firstOnly)
        for (const auto& [atStartKey, atStartValue] : atStart)
            lostAChangedValue |= atStartKey == key && !shown.count({key, atStartValue});
    EXPECT_TRUE(lostAChangedValue);

    const Lines backup = Backup();
    EXPECT_EQ(Filter(backup, firstOnlyBackup, true), Lines{});
    EXPECT_NE(backup, backupAtStart);

    const std::string stateBefore = testsupport::ReadFileBytes(second.StatePath());
    session::WritePendingChanges(Family());
    session::EndConnection();
    second.Stop();
    EXPECT_EQ(testsupport::ReadFileBytes(second.StatePath()), stateBefore);
}

VANTREL_INSTANTIATE_OVER_FAMILIES(Connection);

}  // namespace
