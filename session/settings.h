// The settings file Vantrel-Settings.ini beside the executable: which families "Connect" probes for,
// whether the RX/TX page is offered, and whether the log is appended at exit.
#pragma once

#include <filesystem>
#include <string_view>

namespace session {

inline constexpr const char* kSettingsFileName = "Vantrel-Settings.ini";
inline constexpr const char* kSettingsSection = "Probe";

struct Settings {
    bool probeFj = true;
    bool probeEv48400c = true;
    bool probeTercel = true;
    bool rxtx = false;
    bool log = false;
};

// "1", "true" and "yes" in any case; everything else is false.
bool IsTrueSettingValue(std::string_view value);

// Reads all five keys when the file exists (a missing key takes its default) and returns true;
// without a file the settings stay as they are.
bool ReadSettingsFile(const std::filesystem::path& file, Settings& settings);

// The probe keys become "true" or "false"; "RXTX" and "Log" are written "true" or removed.
// Failures are not reported: the caller says where it saved either way.
void WriteSettingsFile(const std::filesystem::path& file, const Settings& settings);

}  // namespace session
