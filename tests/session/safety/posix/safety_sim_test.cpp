// The safety backup before a write, against vantrel-sim: what the command line and the window do when
// it cannot be saved, what it holds, and loading it putting the controller back. Also where the FJ
// fault descriptions file goes, said while it is missing.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/cards/tuning_model.h"
#include "cli/cli_app.h"
#include "core/host.h"
#include "core/param_registry.h"
#include "core/prompter.h"
#include "core/text.h"
#include "serial/serial_port.h"
#include "session/probe.h"
#include "session/safety_backup.h"
#include "session/session.h"
#include "tests/cli/cli_run.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace {

using testing::HasSubstr;

std::string State(const testsupport::SimProcess& sim) {
    return testsupport::ReadFileBytes(sim.StatePath());
}

// Where the backups folder goes, a file: nothing can be saved there.
void BlockFolder(const std::filesystem::path& backups) {
    std::filesystem::remove_all(backups);
    std::filesystem::create_directories(backups.parent_path());
    testsupport::WriteFileBytes(backups, "not a folder");
}

struct CliCase {
    const char* family;
    const char* key;
    const char* initial;
    const char* changed;
};

// The command line writes only after a safety backup, or with --no-auto-backup. The backup holds the
// controller's value, not the one being written: loading it puts the controller back as it was.
TEST(SafetyBackupCli, WritesOnlyAfterABackupThatPutsTheControllerBack) {
    testsupport::LogCapture log;
    for (const CliCase& c :
         {CliCase{"FJ", "0D:1F", "4500", "5000"}, CliCase{"EV48-400-C", "BKD_MaxSpeed", "2000", "1800"},
          CliCase{"Tercel", "2878", "6500", "6000"}}) {
        SCOPED_TRACE(c.family);
        testsupport::TempDir folder;
        testsupport::SimProcess sim(c.family, folder.Path());
        ASSERT_TRUE(sim.Ready());
        const auto run = [&](std::vector<std::string> args) {
            args.insert(args.begin() + 1, {"--port", sim.PortName(), "--family", c.family});
            return clitest::RunCommand(args);
        };
        const auto backups = host::ExecutableDirectory().value() / c.family / "backups";
        BlockFolder(backups);
        const std::string original = State(sim);
        const auto refused = run({"set", std::string(c.key) + "=" + c.changed, "--write"});
        EXPECT_EQ(refused.status, cli::kExitRefused);
        EXPECT_THAT(refused.err, HasSubstr("no safety backup could be saved: cannot create"));
        EXPECT_THAT(refused.err, HasSubstr("add --no-auto-backup"));
        EXPECT_EQ(State(sim), original);
        EXPECT_EQ(run({"set", std::string(c.key) + "=" + c.changed, "--write", "--no-auto-backup"}).status,
                  0);
        const std::string changed = State(sim);
        EXPECT_NE(changed, original);

        std::filesystem::remove(backups);
        const auto saved = run({"set", std::string(c.key) + "=" + c.initial, "--write"});
        EXPECT_EQ(saved.status, 0) << saved.err;
        const std::string prefix = "Safety backup: ";
        const size_t at = saved.err.find(prefix);
        ASSERT_NE(at, std::string::npos) << saved.err;
        const std::filesystem::path file =
            saved.err.substr(at + prefix.size(), saved.err.find('\n', at) - at - prefix.size());
        EXPECT_EQ(file.parent_path(), backups);
        EXPECT_EQ(run({"load", "--file", file.string(), "--write"}).status, 0);
        EXPECT_EQ(State(sim), changed);
    }
}

// OK to every warning; the safety backup's question answered as set.
class WindowPrompter final : public Prompter {
public:
    WindowPrompter() : previous_(SetPrompter(this)) {}
    ~WindowPrompter() override { SetPrompter(previous_); }
    void ShowMessage(const std::wstring&, const std::wstring&, MessageIcon) override {}
    bool Confirm(const std::wstring&, const std::wstring&) override { return true; }
    bool AskYesNo(const std::wstring& text, const std::wstring&) override {
        asked.push_back(text::WideToUtf8(text));
        return yes;
    }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest&) override { return {}; }
    void Pause(uint32_t) override {}

    bool yes = false;
    std::vector<std::string> asked;

private:
    Prompter* previous_;
};

// The window asks when no safety backup can be saved, and No writes nothing. After a write the
// controller confirmed, the next safety backup holds what was written.
TEST(SafetyBackupWindow, WriteAsksWhenNoBackupCanBeSavedAndNoWritesNothing) {
    testsupport::ResetFamilies();
    testsupport::LogCapture log;
    testsupport::TempDir dir;
    testsupport::SimProcess sim("FJ", dir.Path());
    WindowPrompter prompter;
    session::ProbeOptions options;
    options.readingPauses = false;
    ASSERT_EQ(session::Connect(SerialPort::Instance(), sim.PortName(), {Family::FJ}, options).family,
              Family::FJ);
    app::TuningModel model(dir.Path());
    model.OnControlsCreated();
    const auto edit = [](const wchar_t* value) {
        const ParamEntry& entry = *session::FindEntry(Family::FJ, L"0D:1F");
        session::CommitEdit(Family::FJ, entry, value, session::CurrentText(entry));
    };
    const auto backups = dir / "FJ" / "backups";
    BlockFolder(backups);
    edit(L"5000");
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes);
        const std::string state = State(sim);
        prompter.asked.clear();
        prompter.yes = yes;
        model.Write();
        ASSERT_EQ(prompter.asked.size(), 1u);
        EXPECT_THAT(prompter.asked[0], HasSubstr("cannot create " + backups.string()));
        EXPECT_EQ(State(sim) != state, yes);
        EXPECT_EQ(DirtyKeys().empty(), yes);
    }

    std::filesystem::remove(backups);
    edit(L"4500");
    prompter.asked.clear();
    model.Write();
    EXPECT_TRUE(prompter.asked.empty());
    EXPECT_TRUE(DirtyKeys().empty());
    const std::filesystem::path saved = std::filesystem::directory_iterator(backups)->path();
    EXPECT_TRUE(log.Contains("Safety backup: " + saved.string()));
    EXPECT_THAT(testsupport::ReadFileBytes(saved), HasSubstr("\nH Gear - Forward Maximum Speed=5000\n"));
    session::EndConnection();
}

TEST(FjFaultDescriptions, TheFilesPlaceIsNamedWhileItIsMissing) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    testsupport::SimProcess sim("FJ", folder.Path());
    ASSERT_TRUE(sim.Ready());
    const auto file = host::ExecutableDirectory().value() / "FJ" / "fj-errors.csv";
    std::filesystem::remove(file);
    const std::vector<std::string> faults = {"faults", "--port", sim.PortName(), "--family", "FJ"};
    const auto missing = clitest::RunCommand(faults);
    EXPECT_EQ(missing.status, 0) << missing.err;
    const std::string notice = "put the maker's fj-errors.csv at " + file.string() + "\n";
    EXPECT_THAT(missing.err, HasSubstr(notice));
    EXPECT_EQ(missing.err.find(notice), missing.err.rfind(notice));

    std::filesystem::create_directories(file.parent_path());
    testsupport::WriteFileBytes(file, "Code,Level,Text1,Text2,Text3\n17,3,\"Motor overtemperature\",x,y\n");
    const auto present = clitest::RunCommand(faults);
    std::filesystem::remove(file);
    EXPECT_THAT(present.err, testing::Not(HasSubstr("fj-errors.csv")));
    EXPECT_THAT(present.out, HasSubstr("Motor overtemperature"));
}

}  // namespace
