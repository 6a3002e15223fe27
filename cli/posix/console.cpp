#include "cli/console.h"

#include <signal.h>
#include <unistd.h>

namespace cli {

namespace {

volatile sig_atomic_t g_interrupted = 0;
struct sigaction g_previous {};

void OnInterrupt(int) {
    g_interrupted = 1;
}

}  // namespace

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

bool StandardOutputIsTerminal() {
    return isatty(STDOUT_FILENO) == 1;
}

// Terminals here take UTF-8 as it is.
void PrepareConsole() {}

// Without SA_RESTART a wait in progress ends early; the serial reads carry on to their deadline.
InterruptWatch::InterruptWatch() {
    g_interrupted = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &g_previous);
}

InterruptWatch::~InterruptWatch() {
    sigaction(SIGINT, &g_previous, nullptr);
}

bool InterruptWatch::Interrupted() const {
    return g_interrupted != 0;
}

}  // namespace cli
