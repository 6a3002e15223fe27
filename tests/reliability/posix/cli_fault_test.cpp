// The command line's library against a simulated controller whose line fails: an unconfirmed write ends
// with its own exit status, reconnecting a thousand times keeps memory flat, and a read and a backup
// leave nothing allocated behind.
#include <malloc.h>

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "cli/connection.h"
#include "core/log.h"
#include "tests/cli/cli_run.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

#if defined(__SANITIZE_ADDRESS__)
#define VANTREL_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VANTREL_ASAN 1
#endif
#endif
#ifdef VANTREL_ASAN
#include <sanitizer/lsan_interface.h>
// The sanitizer's own count of live heap bytes (GCC ships no header that declares it).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

using clitest::CliRun;
using clitest::RunCommand;

// Bytes the program holds on the heap right now; the sanitizer's count when it owns the heap.
size_t HeapInUse() {
#ifdef VANTREL_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    return mallinfo2().uordblks;
#endif
}

class CliLineFault : public testing::Test {
protected:
    // The log's batches go to this test's folder, never beside the test executable.
    void SetUp() override { logdetail::SetDirectoryOverride(dir_.Path()); }
    void TearDown() override {
        logdetail::Reset();
        logdetail::SetDirectoryOverride({});
    }
    testsupport::TempDir dir_;
};

// A family and a change its simulator takes.
const std::pair<const char*, const char*> kWrites[] = {
    {"FJ", "0D:1F=5000"}, {"EV48-400-C", "BKD_MaxSpeed=1800"}, {"Tercel", "2878=6000"}};

// The controller stores the value and the line goes before its answer.
TEST_F(CliLineFault, UnconfirmedWriteExitsWithStatusFour) {
    for (const auto& [family, change] : kWrites) {
        SCOPED_TRACE(family);
        testsupport::TempDir folder;
        testsupport::SimProcess sim(family, folder.Path(), {"--pull-on-write", "--pull-ms", "0"});
        ASSERT_TRUE(sim.Ready());
        const CliRun run =
            RunCommand({"set", "--port", sim.PortName(), "--family", family, change, "--write"});
        EXPECT_EQ(run.status, cli::kExitNotConfirmed) << run.err;
    }
}

// Each connect identifies and reads the controller, each disconnect closes the port: a thousand of them
// leave the heap where the first hundred left it.
TEST_F(CliLineFault, ThousandReconnectsKeepMemoryFlat) {
    testsupport::SimProcess sim("EV48-400-C", dir_.Path());
    ASSERT_TRUE(sim.Ready());
    const auto reconnect = [&](int times) {
        for (int i = 0; i < times; ++i) {
            const cli::ConnectedSession session(sim.PortName(), {Family::EV48400C});
            ASSERT_EQ(session.Status(), cli::kExitSuccess) << session.Error();
        }
        FlushLog(kLogFileName);
    };
    reconnect(100);
    const size_t warm = HeapInUse();
    reconnect(900);
    const size_t after = HeapInUse();
    EXPECT_LT(after, warm + 64 * 1024);
}

TEST_F(CliLineFault, ReadAndBackupLeakNothing) {
    for (const auto& [family, change] : kWrites) {
        SCOPED_TRACE(family);
        testsupport::TempDir folder;
        testsupport::SimProcess sim(family, folder.Path());
        ASSERT_TRUE(sim.Ready());
        const std::string port = sim.PortName(), backup = (folder / "b.vtdata").string();
        EXPECT_EQ(RunCommand({"read", "--port", port, "--family", family}).status, 0);
        EXPECT_EQ(RunCommand({"backup", "--port", port, "--family", family, "--out", backup}).status, 0);
    }
#ifdef VANTREL_ASAN
    EXPECT_EQ(__lsan_do_recoverable_leak_check(), 0);
#endif
}

}  // namespace
