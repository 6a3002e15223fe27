// What the command line asks of the console it runs in; cli/posix and cli/win32 each answer.
#pragma once

namespace cli {

// True when standard error is a terminal, where status texts redraw one line.
bool StandardErrorIsTerminal();
// True when standard output is a terminal, where monitor redraws its table.
bool StandardOutputIsTerminal();

// Sets the console up for UTF-8 output where the platform needs it.
void PrepareConsole();

// While it lives, Ctrl-C (SIGINT, or the console's Ctrl-C and Ctrl-Break) only raises a flag, so that a
// command that runs until stopped can end with its files complete. One at a time.
class InterruptWatch {
public:
    InterruptWatch();
    ~InterruptWatch();
    InterruptWatch(const InterruptWatch&) = delete;
    InterruptWatch& operator=(const InterruptWatch&) = delete;

    // Ctrl-C came since the watch began.
    bool Interrupted() const;
};

}  // namespace cli
