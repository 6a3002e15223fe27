#include "tests/support/posix/sim_process.h"

#include <poll.h>
#include <signal.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

#ifndef VANTREL_SIM_PATH
#error "VANTREL_SIM_PATH must name the vantrel-sim executable"
#endif

namespace testsupport {

SimProcess::SimProcess(const std::string& family, const std::filesystem::path& folder,
                       const std::vector<std::string>& extra)
    : link_(folder / "sim-port"), state_(folder / "sim-state.txt") {
    int out[2];
    if (pipe(out) != 0) return;
    std::vector<std::string> args = {VANTREL_SIM_PATH, "--family", family,         "--link",
                                     link_.string(),   "--state",  state_.string()};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = fork();
    if (pid_ == 0) {
#ifdef __linux__
        // A test stopped at its time-out never runs the destructor: the simulator goes with it.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
#endif
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(out[1]);
    // The simulator says "READY <device>" once its line is up; a busy machine gets ten seconds.
    std::string line;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, 100) <= 0) continue;
        char buffer[256];
        const ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        line.append(buffer, static_cast<size_t>(n));
    }
    close(out[0]);
    if (line.rfind("READY ", 0) == 0) device_ = line.substr(6, line.find('\n') - 6);
}

SimProcess::~SimProcess() {
    Stop();
}

void SimProcess::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

}  // namespace testsupport
