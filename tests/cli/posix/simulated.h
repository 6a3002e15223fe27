// A simulated controller for the command line, in a temporary folder of its own, and what each
// simulator starts with.
#pragma once

#include <string>
#include <vector>

#include "tests/cli/cli_run.h"
#include "tests/support/posix/sim_process.h"
#include "tests/support/temp_dir.h"

namespace clitest {

// A setting, its label, its value and a change it takes; silentRequest, for --fault-on, reads a setting
// (not the first contact), and a report shows its value as unreadShown; a live value (none for Tercel).
struct FamilyCase {
    const char *family, *key, *label, *initial, *changed, *silentRequest, *unreadShown, *liveLabel,
        *liveValue;
    std::vector<std::string> currentFaultCodes;
};

// The gear speeds may not pass the motor's maximum speed, 5000.
inline const FamilyCase kFamilies[] = {
    {"FJ",
     "0D:1F",
     "H Gear - Forward Maximum Speed",
     "4500",
     "5000",
     "10",
     "(no answer)",
     "Battery voltage(BDI)",
     "51.2",
     {"17", "42"}},
    {"EV48-400-C",
     "BKD_MaxSpeed",
     "Reverse Max Speed",
     "2000",
     "1800",
     "4",
     "Not given by the controller",
     "Odometer",
     "5678",
     {"12", "101"}},
    {"Tercel", "2878", "2.01.09 : Motor Maximum RPM", "6500", "6000", "30", "(no answer)", "", "", {}},
};

class Simulated {
public:
    explicit Simulated(const std::string& family, const std::vector<std::string>& extra = {})
        : sim_(family, folder_.Path(), extra), family_(family) {}

    bool Ready() const { return sim_.Ready(); }
    std::string PortName() const { return sim_.PortName(); }
    // The port and the family, so that a run does not wait for the other families' probes.
    std::vector<std::string> Args(std::vector<std::string> args) const {
        args.insert(args.begin() + 1, {"--port", sim_.PortName(), "--family", family_});
        return args;
    }
    CliRun Run(const std::vector<std::string>& args) const { return RunCommand(Args(args)); }
    std::string State() const { return testsupport::ReadFileBytes(sim_.StatePath()); }
    std::string File(const std::string& name) const { return (folder_ / name).string(); }
    void Stop() { sim_.Stop(); }

private:
    testsupport::TempDir folder_;
    testsupport::SimProcess sim_;
    std::string family_;
};

}  // namespace clitest
