// vantrel-sim: a simulated controller on a pseudo-terminal.
//
//   vantrel-sim --family FJ --link /tmp/vantrel-com [--state FILE] [--wire-timing] [--turnaround-ms N]
//               [--fault silent|garble|drop|short --fault-rate P --seed N [--fault-on N]] [--stats FILE]
//               [--refuse-writes] [--tercel-check-byte sum|xor|BYTE]
//
// Prints "READY <device>" once the line is up and answers until SIGINT or SIGTERM.
#include <CLI/CLI.hpp>

#include <chrono>
#include <csignal>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

#include "sim/fault_injector.h"
#include "sim/pty_link.h"
#include "sim/sim_controller.h"
#include "sim/sim_families.h"

namespace {

volatile std::sig_atomic_t g_stop = 0;

void OnSignal(int) {
    g_stop = 1;
}

bool ReadWholeFile(const std::string& path, std::string& content) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream out;
    out << in.rdbuf();
    content = out.str();
    return true;
}

// Written beside and renamed over, so a reader never sees half a state.
void WriteState(const std::string& path, const std::string& state) {
    const std::string temporary = path + ".tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << state;
    }
    std::rename(temporary.c_str(), path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
    sim::RegisterAllFamilies();

    CLI::App app{"Simulated controller on a pseudo-terminal"};
    std::string family;
    std::string linkPath;
    std::string statePath;
    bool wireTiming = false;
    int turnaroundMs = 0;
    std::string faultName = "none";
    double faultRate = 1.0;
    uint32_t seed = 1;
    std::string statsPath;
    app.add_option("--family", family, "controller family")
        ->required()
        ->check(CLI::IsMember(sim::SimFamilies()));
    app.add_option("--link", linkPath, "path of the symbolic link to the line's device")->required();
    app.add_option("--state", statePath,
                   "state file: loaded at start when present, saved after every change");
    app.add_flag("--wire-timing", wireTiming, "pace answers at the family's baud rate, 10 bits a byte");
    app.add_option("--turnaround-ms", turnaroundMs, "wait before each answer")->check(CLI::Range(0, 60000));
    app.add_option("--fault", faultName, "line fault to inject")
        ->check(CLI::IsMember({"none", "silent", "garble", "drop", "short"}));
    app.add_option("--fault-rate", faultRate, "share of answers that get the fault")
        ->check(CLI::Range(0.0, 1.0));
    app.add_option("--seed", seed, "seed of the fault draws");
    int faultOn = 0;
    app.add_option("--fault-on", faultOn,
                   "the fault hits only the answers to the Nth request and to every repeat of it")
        ->check(CLI::Range(1, 1000000));
    sim::Bytes faultedRequest;
    int pullAfter = 0;
    bool pullOnWrite = false;
    int pullMs = 300;
    app.add_option("--pull-after", pullAfter, "leave the Nth request unanswered and pull the line")
        ->check(CLI::Range(1, 1000000));
    app.add_flag("--pull-on-write", pullOnWrite,
                 "store the first request that changes a setting, then pull the line instead of answering");
    app.add_option("--pull-ms", pullMs, "how long a pulled line stays away")->check(CLI::Range(0, 60000));
    sim::SimBehaviour behaviour;
    app.add_flag("--refuse-writes", behaviour.refuseWrites,
                 "answer every write with the family's refusal and keep the setting");
    std::string checkByte = "sum";
    app.add_option("--tercel-check-byte", checkByte,
                   "how the Tercel controller fills the last byte of its answers: sum, xor or a byte")
        ->check([](const std::string& text) {
            sim::SimBehaviour parsed;
            return sim::ParseTercelCheckByte(text, parsed) ? std::string()
                                                           : "sum, xor or a byte expected: " + text;
        });
    app.add_option("--stats", statsPath,
                   "at the end, write the answers given and the bytes heard and sent to this file");
    CLI11_PARSE(app, argc, argv);

    auto controller = sim::MakeSimController(family);
    sim::ParseTercelCheckByte(checkByte, behaviour);
    controller->SetBehaviour(behaviour);
    if (!statePath.empty()) {
        std::string state;
        if (ReadWholeFile(statePath, state) && !controller->LoadState(state)) {
            std::cerr << "vantrel-sim: cannot read the state in " << statePath << "\n";
            return 1;
        }
    }

    sim::PtyLink link;
    std::string error;
    if (!link.Create(linkPath, error)) {
        std::cerr << "vantrel-sim: " << error << "\n";
        return 1;
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGPIPE, SIG_IGN);
    // The line is the simulator's controlling terminal: closing it at the end hangs the session up.
    std::signal(SIGHUP, SIG_IGN);

    sim::FaultInjector faults(*sim::ParseFaultKind(faultName), faultRate, seed);
    std::string savedState = controller->SaveState();
    if (!statePath.empty()) WriteState(statePath, savedState);
    std::cout << "READY " << link.DevicePath() << std::endl;

    // What crossed the line, for the benchmark's lower bound.
    uint64_t answers = 0, bytesHeard = 0, bytesSent = 0;
    int requests = 0;
    bool pulled = false;
    while (!g_stop) {
        const sim::Bytes input = link.ReadAvailable(50);
        if (input.empty()) continue;
        bytesHeard += input.size();
        // A controller at another baud rate hears noise, and noise gets no answer.
        if (link.LineBaudRate() != controller->BaudRate()) continue;
        // The pseudo-terminal hands the request over at once; a real line would still be carrying it.
        const auto heardAt =
            std::chrono::steady_clock::now() +
            (wireTiming ? std::chrono::microseconds(input.size() * 10'000'000ull / controller->BaudRate())
                        : std::chrono::microseconds(0));
        ++requests;
        auto replies = controller->Receive(input);
        // The line goes once, in the middle of a read or right after a write took effect: the program
        // hears nothing and finds its handle dead, as when a cable is pulled and plugged back.
        const bool changed = pullOnWrite && controller->SaveState() != savedState;
        if (!pulled && ((pullAfter > 0 && requests == pullAfter) || changed)) {
            pulled = true;
            if (!link.Replug(pullMs, error)) {
                std::cerr << "vantrel-sim: " << error << "\n";
                return 1;
            }
            std::cout << "PULLED " << link.DevicePath() << std::endl;
            replies.clear();
        }
        for (auto& answer : replies) {
            std::this_thread::sleep_until(heardAt);
            if (turnaroundMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(turnaroundMs));
            // A controller that cannot answer one request answers none of its repeats either.
            if (requests == faultOn) faultedRequest = input;
            const bool faulted = faultOn == 0 || (!faultedRequest.empty() && input == faultedRequest);
            const sim::Bytes onWire = faulted ? faults.Apply(std::move(answer)) : std::move(answer);
            ++answers;
            bytesSent += onWire.size();
            if (!onWire.empty())
                link.Send(onWire,
                          wireTiming ? std::optional<uint32_t>(controller->BaudRate()) : std::nullopt);
        }
        if (!statePath.empty()) {
            std::string state = controller->SaveState();
            if (state != savedState) {
                WriteState(statePath, state);
                savedState = std::move(state);
            }
        }
    }
    if (!statePath.empty()) WriteState(statePath, controller->SaveState());
    if (!statsPath.empty())
        WriteState(statsPath, "answers " + std::to_string(answers) + "\nbytes_heard " +
                                  std::to_string(bytesHeard) + "\nbytes_sent " + std::to_string(bytesSent) +
                                  "\nbaud " + std::to_string(controller->BaudRate()) + "\n");
    return 0;
}
