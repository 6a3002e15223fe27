#include "core/host.h"

#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>
#include <iostream>

#include "core/text.h"

namespace host {

std::optional<std::filesystem::path> ExecutableDirectory() {
    std::error_code error;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || exe.empty()) return std::nullopt;
    return exe.parent_path();
}

void DebugOutput(const std::wstring& line) {
    // Linux has no debugger channel; standard error stands in, only on request.
    if (!DebugEnabled()) return;
    std::cerr << text::WideToUtf8(line) << std::flush;
}

LocalTime Now() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm local{};
    localtime_r(&now.tv_sec, &local);
    return LocalTime{local.tm_year + 1900,
                     local.tm_mon + 1,
                     local.tm_mday,
                     local.tm_hour,
                     local.tm_min,
                     local.tm_sec,
                     static_cast<int>(now.tv_nsec / 1000000)};
}

uint32_t TickMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms =
        static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

bool DebugEnabled() {
    return std::getenv("VANTREL_DEBUG") != nullptr;
}

}  // namespace host
