#include "cli/console.h"

#include <windows.h>

namespace cli {

bool StandardErrorIsTerminal() {
    const HANDLE handle = GetStdHandle(STD_ERROR_HANDLE);
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetFileType(handle) == FILE_TYPE_CHAR;
}

// Labels and units carry characters beyond ASCII ("°C"); the console shows them only in UTF-8.
void PrepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
}

}  // namespace cli
