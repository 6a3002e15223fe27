#include "core/host.h"

#include <windows.h>

#include <cstdlib>

namespace host {

std::optional<std::filesystem::path> ExecutableDirectory() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::filesystem::path(std::wstring(buffer, length)).parent_path();
}

void DebugOutput(const std::wstring& line) {
    OutputDebugStringW(line.c_str());
}

LocalTime Now() {
    SYSTEMTIME t{};
    GetLocalTime(&t);
    return LocalTime{t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond, t.wMilliseconds};
}

uint32_t TickMs() {
    return static_cast<uint32_t>(GetTickCount64());
}

bool DebugEnabled() {
    return std::getenv("VANTREL_DEBUG") != nullptr;
}

}  // namespace host
