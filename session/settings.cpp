#include "session/settings.h"

#include <system_error>

#include "core/ini_file.h"
#include "core/text.h"

namespace session {

namespace {

// The settings are read into a buffer of this many characters, as a private-profile read would.
constexpr size_t kValueBufferSize = 100;

struct Key {
    const char* name;
    bool Settings::*flag;
    bool defaultValue;
};

constexpr Key kProbeKeys[] = {
    {"FJ", &Settings::probeFj, true},
    {"EV48-400-C", &Settings::probeEv48400c, true},
    {"Tercel", &Settings::probeTercel, true},
};
constexpr Key kOptionalKeys[] = {
    {"RXTX", &Settings::rxtx, false},
    {"Log", &Settings::log, false},
};

const char* TrueFalse(bool value) {
    return value ? "true" : "false";
}

}  // namespace

bool IsTrueSettingValue(std::string_view value) {
    const std::string lower = text::AsciiLower(value);
    return lower == "1" || lower == "true" || lower == "yes";
}

bool ReadSettingsFile(const std::filesystem::path& file, Settings& settings) {
    std::error_code error;
    if (file.empty() || !std::filesystem::is_regular_file(file, error)) return false;
    const IniDocument document = LoadIniFile(file);
    auto read = [&](const Key& key) {
        settings.*key.flag = IsTrueSettingValue(
            document.GetString(kSettingsSection, key.name, TrueFalse(key.defaultValue), kValueBufferSize));
    };
    for (const auto& key : kProbeKeys) read(key);
    for (const auto& key : kOptionalKeys) read(key);
    return true;
}

void WriteSettingsFile(const std::filesystem::path& file, const Settings& settings) {
    for (const auto& key : kProbeKeys)
        WriteIniString(file, kSettingsSection, key.name, TrueFalse(settings.*key.flag));
    for (const auto& key : kOptionalKeys) {
        if (settings.*key.flag) {
            WriteIniString(file, kSettingsSection, key.name, "true");
        } else {
            DeleteIniKey(file, kSettingsSection, key.name);
        }
    }
}

}  // namespace session
