// The few services of the operating system that the core needs: where the executable lives,
// the debugger channel and the local clock. core/posix and core/win32 each implement this.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace host {

struct LocalTime {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// Directory of the running executable, or nothing when the platform cannot tell.
std::optional<std::filesystem::path> ExecutableDirectory();

// Debugger output: OutputDebugStringW on Windows; standard error when VANTREL_DEBUG is set elsewhere.
void DebugOutput(const std::wstring& text);

LocalTime Now();

// Monotonic millisecond tick; differences are taken in unsigned 32-bit arithmetic.
uint32_t TickMs();

// True when the environment variable VANTREL_DEBUG is set (to anything).
bool DebugEnabled();

}  // namespace host
