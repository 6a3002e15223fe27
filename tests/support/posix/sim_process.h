// Runs vantrel-sim for one test: a simulated controller on a pseudo-terminal, reachable under a link
// in the test's temporary folder, stopped (and its state file final) when the object goes.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class SimProcess {
public:
    // family: "EV48-400-C", "FJ" or "Tercel"; extra: further command-line options.
    SimProcess(const std::string& family, const std::filesystem::path& folder,
               const std::vector<std::string>& extra = {});
    ~SimProcess();
    SimProcess(const SimProcess&) = delete;
    SimProcess& operator=(const SimProcess&) = delete;

    bool Ready() const { return pid_ > 0 && !device_.empty(); }
    // What a serial port opens: the link's full path.
    std::string PortName() const { return link_.string(); }
    const std::filesystem::path& StatePath() const { return state_; }
    // Stops the simulator; its state file then holds everything it was written.
    void Stop();

private:
    pid_t pid_ = -1;
    std::filesystem::path link_;
    std::filesystem::path state_;
    std::string device_;
};

}  // namespace testsupport
