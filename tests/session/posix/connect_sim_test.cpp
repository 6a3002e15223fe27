// Connecting to a simulated controller of each family: a silent one is given up after three attempts,
// a read goes at the speed of the wire, and a second controller shows, saves and is given nothing of
// the first.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <set>
#include <sstream>

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

constexpr TuningTab kTabs[] = {TuningTab::Tuning, TuningTab::Stats, TuningTab::Info, TuningTab::Sink};

// What the page's rows show: the value last read ("Current Value") and the model's ("Change To").
Shown ShownValues(Family family) {
    session::RowRegistry registry;
    registry.Rebuild(family);
    Shown shown;
    for (const TuningTab tab : kTabs)
        for (const auto& row : registry.Rows(tab)) {
            if (row.IsHeading()) continue;
            shown.insert({row.entry->key, session::CurrentText(*row.entry)});
            if (const auto read = session::LastRead().Of(row.entry->key))
                shown.insert({row.entry->key, *read});
        }
    return shown;
}

template <typename Set>
Set Minus(const Set& a, const Set& b) {
    Set out;
    for (const auto& item : a)
        if (!b.count(item)) out.insert(item);
    return out;
}

template <typename Set>
Set Common(const Set& a, const Set& b) {
    Set out;
    for (const auto& item : a)
        if (b.count(item)) out.insert(item);
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
    void SetUp() override {
        session::EndConnection();
        testsupport::ResetFamilies();
    }
    void TearDown() override {
        session::EndConnection();
        testsupport::ResetFamilies();
    }
    ::Family Probe(const testsupport::SimProcess& simulator) const {
        EXPECT_TRUE(simulator.Ready());
        session::ProbeOptions options;
        options.readingPauses = false;
        return session::Connect(SerialPort::Instance(), simulator.PortName(), {Family()}, options).family;
    }
    void Connect(const testsupport::SimProcess& simulator) { ASSERT_EQ(Probe(simulator), Family()); }
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
    switch (family) {
        case Family::EV48400C:
            return 4;  // the motor parameters
        case Family::FJ:
            return 6;  // the second speed tuning value
        case Family::Tercel:
            return 30;  // a tuning value
        case Family::None:
            break;
    }
    return 0;
}

TEST_P(Connection, SilentControllerIsGivenUpAfterThreeAttempts) {
    testsupport::SimProcess silent(GetParam()->name, dir_.Path(), {"--fault", "silent"});
    testing::internal::CaptureStderr();
    EXPECT_EQ(Probe(silent), Family::None);
    EXPECT_THAT(testing::internal::GetCapturedStderr(),
                testing::HasSubstr("Identify() failed after 3 attempts.\n"));
    EXPECT_EQ(prompter_.pauses, (std::vector<uint32_t>{100, 100}));
    EXPECT_EQ(ShownValues(Family()), Shown{});
}

// The simulator paces its answers as the wire would: a read cannot take less than they need, and the
// driver adds only its turnaround.
TEST_P(Connection, ReadsAtTheSpeedOfTheWire) {
    const auto stats = dir_ / "stats.txt";
    testsupport::SimProcess simulator(GetParam()->name, dir_.Path(),
                                      {"--wire-timing", "--stats", stats.string()});
    const auto start = std::chrono::steady_clock::now();
    Connect(simulator);
    const auto elapsedMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    simulator.Stop();
    std::istringstream text(testsupport::ReadFileBytes(stats));
    std::map<std::string, double> counts;
    for (std::string name; text >> name;) text >> counts[name];
    const double answersMs = counts["bytes_sent"] * 10 * 1000 / GetParam()->baudRate;
    std::printf("%s read: %.0f ms, its answers on the wire %.0f ms\n", GetParam()->name, elapsedMs,
                answersMs);
    EXPECT_GE(elapsedMs, answersMs - 1);
    EXPECT_LT(elapsedMs, answersMs + 5000);  // a stalled read costs a whole time-out per exchange
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
        std::istringstream text(testsupport::ReadFileBytes(stats));
        std::map<std::string, size_t> counts;
        for (std::string name; text >> name;) text >> counts[name];
        requests = counts["answers"];
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

    const session::ReadOutcome outcome = session::ReadEverything(Family());
    EXPECT_TRUE(DirtyKeys().empty());
    EXPECT_FALSE(outcome.notReadAgain.empty());
    EXPECT_TRUE(outcome.unread.empty());
    EXPECT_EQ(ShownValues(Family()), before);
    EXPECT_NE(session::UnreadStatusText(outcome).find(L"could not be read"), std::wstring::npos);
}

TEST_P(Connection, NothingOfThePreviousControllerIsShownSavedOrWritten) {
    // The first controller, read as it comes and again after every value was raised.
    testsupport::TempDir firstFolder;
    testsupport::SimProcess first(GetParam()->name, firstFolder.Path());
    Connect(first);
    const Shown atStart = ShownValues(Family());
    const Lines backupAtStart = Backup();
    // Maxima rather than minima, so that no value given is the 0 of a value never read.
    testsupport::ChangeValues(Family(), false, true);
    session::WritePendingChanges(Family());
    ASSERT_TRUE(DirtyKeys().empty()) << "the first controller confirmed every write";
    session::ReadEverything(Family());
    const Shown firstOnly = Minus(ShownValues(Family()), atStart);
    const Lines firstOnlyBackup = Minus(Backup(), backupAtStart);
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
    EXPECT_EQ(Common(shown, firstOnly), Shown{});
    // The lost answer was one of the values the first controller was given.
    bool lostAChangedValue = false;
    for (const auto& [key, value] : firstOnly)
        for (const auto& [atStartKey, atStartValue] : atStart)
            lostAChangedValue |= atStartKey == key && !shown.count({key, atStartValue});
    EXPECT_TRUE(lostAChangedValue);

    const Lines backup = Backup();
    EXPECT_EQ(Common(backup, firstOnlyBackup), Lines{});
    EXPECT_NE(backup, backupAtStart);

    const std::string stateBefore = testsupport::ReadFileBytes(second.StatePath());
    session::WritePendingChanges(Family());
    session::EndConnection();
    second.Stop();
    EXPECT_EQ(testsupport::ReadFileBytes(second.StatePath()), stateBefore);
}

VANTREL_INSTANTIATE_OVER_FAMILIES(Connection);

}  // namespace
