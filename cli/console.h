// What the command line asks of the console it runs in; cli/posix and cli/win32 each answer.
#pragma once

namespace cli {

// True when standard error is a terminal, where status texts redraw one line.
bool StandardErrorIsTerminal();

// Sets the console up for UTF-8 output where the platform needs it.
void PrepareConsole();

}  // namespace cli
