#include "core/log.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <vector>

#include "core/text.h"

namespace {

constexpr size_t kBatchLines = 1000;

struct LogState {
    std::vector<std::wstring> buffer;  // formatted lines not yet in the file
    size_t sinceBatch = 0;
    std::filesystem::path directoryOverride;
    std::function<host::LocalTime()> clock = host::Now;
    std::wstring status;
    StatusListener statusListener;
};

LogState& State() {
    static LogState state;
    return state;
}

// Nothing here may throw into the caller: a logger that fails goes on without its file.
std::optional<std::filesystem::path> LogPath(const std::wstring& fileName) {
    auto& s = State();
    if (!s.directoryOverride.empty()) return s.directoryOverride / text::PathFromWide(fileName);
    auto dir = host::ExecutableDirectory();
    if (!dir) return std::nullopt;
    return *dir / text::PathFromWide(fileName);
}

std::wstring PathText(const std::filesystem::path& p) {
    return text::Utf8ToWide(text::PathToUtf8(p));
}

void Pad(std::wstring& out, int value, int width) {
    std::wstring digits = std::to_wstring(value < 0 ? -value : value);
    if (value < 0) out += L'-';
    for (int i = static_cast<int>(digits.size()); i < width; ++i) out += L'0';
    out += digits;
}

}  // namespace

namespace logdetail {

std::wstring FormatLine(const host::LocalTime& t, const std::wstring& message) {
    std::wstring line;
    line.reserve(26 + message.size());
    line += L'[';
    line += std::to_wstring(t.year);
    line += L'-';
    Pad(line, t.month, 2);
    line += L'-';
    Pad(line, t.day, 2);
    line += L' ';
    Pad(line, t.hour, 2);
    line += L':';
    Pad(line, t.minute, 2);
    line += L':';
    Pad(line, t.second, 2);
    line += L':';
    Pad(line, t.millisecond, 3);
    line += L"] ";
    line += message;
    return line;
}

size_t BufferedLineCount() {
    return State().buffer.size();
}

const std::vector<std::wstring>& BufferedLines() {
    return State().buffer;
}

void SetDirectoryOverride(const std::filesystem::path& directory) {
    State().directoryOverride = directory;
}

void SetClock(std::function<host::LocalTime()> clock) {
    State().clock = clock ? std::move(clock) : host::Now;
}

void Reset() {
    State().buffer.clear();
    State().sinceBatch = 0;
}

}  // namespace logdetail

void StartLog(const std::wstring& fileName) {
    auto path = LogPath(fileName);
    if (!path) {
        host::DebugOutput(L"Logger: Failed to get module path\n");
        return;
    }
    std::ofstream file(*path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file) {
        host::DebugOutput(L"Logger: Failed to open log file\n");
        return;
    }
    file << "--------------\n";
    file.close();
    host::DebugOutput(L"Logger: Log written to " + PathText(*path) + L"\n");
}

void FlushLog(const std::wstring& fileName) {
    auto& s = State();
    std::vector<std::wstring> lines;
    lines.swap(s.buffer);
    if (lines.empty()) return;
    auto path = LogPath(fileName);
    std::ofstream file;
    if (path) file.open(*path, std::ios::out | std::ios::app | std::ios::binary);
    if (!path || !file) {
        host::DebugOutput(L"Logger: Failed to open log file for append\n");
        return;
    }
    std::string out;
    for (const auto& line : lines) {
        out += text::WideToUtf8(line);
        out += '\n';
    }
    file << out;
    file.close();
    host::DebugOutput(L"Logger: Appended log to " + PathText(*path) + L"\n");
}

void Log(const std::wstring& message) {
    auto& s = State();
    std::wstring line = logdetail::FormatLine(s.clock(), message);
    host::DebugOutput(line + L"\n");
    s.buffer.push_back(std::move(line));
    if (++s.sinceBatch >= kBatchLines) {
        FlushLog(kLogFileName);
        s.sinceBatch = 0;
    }
}

void Log(std::string_view utf8Message) {
    Log(text::Utf8ToWide(utf8Message));
}

void SetStatus(const std::wstring& statusText) {
    auto& s = State();
    s.status = statusText;
    Log(statusText);
    if (s.statusListener) s.statusListener(s.status);
}

void SetStatus(std::string_view narrowText) {
    SetStatus(text::WidenByChar(narrowText));
}

std::wstring GetStatus() {
    return State().status;
}

void SetStatusListener(StatusListener listener) {
    State().statusListener = std::move(listener);
}

void Diagnostic(std::string_view line) {
    if (!host::DebugEnabled()) return;
    std::cerr << line << '\n';
}
