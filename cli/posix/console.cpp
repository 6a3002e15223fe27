#include "cli/console.h"

#include <unistd.h>

namespace cli {

bool StandardErrorIsTerminal() {
    return isatty(STDERR_FILENO) == 1;
}

// Terminals here take UTF-8 as it is.
void PrepareConsole() {}

}  // namespace cli
