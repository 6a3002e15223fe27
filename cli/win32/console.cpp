#include "cli/console.h"

#include <windows.h>

#include <atomic>

namespace cli {

namespace {

// The console calls its handlers on a thread of its own.
std::atomic<bool> g_interrupted{false};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
    g_interrupted = true;
    return TRUE;
}

bool IsConsole(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetFileType(handle) == FILE_TYPE_CHAR;
}

}  // namespace

bool StandardErrorIsTerminal() {
    return IsConsole(STD_ERROR_HANDLE);
}

bool StandardOutputIsTerminal() {
    return IsConsole(STD_OUTPUT_HANDLE);
}

// Labels and units carry characters beyond ASCII ("°C"); the console shows them only in UTF-8. The
// status line and monitor's table redraw with escape sequences, which the console then interprets.
void PrepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
    for (const DWORD which : {STD_OUTPUT_HANDLE, STD_ERROR_HANDLE}) {
        const HANDLE handle = GetStdHandle(which);
        DWORD mode = 0;
        if (IsConsole(which) && GetConsoleMode(handle, &mode))
            SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
}

InterruptWatch::InterruptWatch() {
    g_interrupted = false;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

InterruptWatch::~InterruptWatch() {
    SetConsoleCtrlHandler(OnConsoleEvent, FALSE);
}

bool InterruptWatch::Interrupted() const {
    return g_interrupted;
}

}  // namespace cli
