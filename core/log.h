// The application log and the status line.
//
// Lines wait in memory and go to the log file beside the executable in batches of 1000; the status
// text is stored, logged, and handed to whoever listens (the main window, the command line).
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/host.h"

inline constexpr const wchar_t* kLogFileName = L"Vantrel.log";

// Truncates the log file in the executable's directory and writes the separator line.
void StartLog(const std::wstring& fileName);
void Log(const std::wstring& message);
void Log(std::string_view utf8Message);
// Appends every buffered line to the file and empties the buffer.
void FlushLog(const std::wstring& fileName);

void SetStatus(const std::wstring& text);
void SetStatus(std::string_view narrowText);  // widened character by character
std::wstring GetStatus();

// Who hears about status changes. An empty function removes the listener.
using StatusListener = std::function<void(const std::wstring&)>;
void SetStatusListener(StatusListener listener);

// Diagnostics of value parsing ("ValueType is: ...", "DEBUG ..."): standard error, and only when
// VANTREL_DEBUG is set, so standard output stays for results.
void Diagnostic(std::string_view line);

namespace logdetail {
// "[2025-07-08 09:03:04:017] " + message
std::wstring FormatLine(const host::LocalTime& when, const std::wstring& message);
// Lines waiting for the next batch, formatted (tests look at them).
size_t BufferedLineCount();
const std::vector<std::wstring>& BufferedLines();
// Where StartLog and FlushLog write; tests point it at a temporary folder. Empty = executable dir.
void SetDirectoryOverride(const std::filesystem::path& directory);
// The clock used for line stamps; tests fix it.
void SetClock(std::function<host::LocalTime()> clock);
// Drops buffered lines and resets the counter (tests only).
void Reset();
}  // namespace logdetail
