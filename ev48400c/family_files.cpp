#include "ev48400c/family_files.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/param_entry.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/text.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/message_store.h"

namespace EV48400C {

namespace {

constexpr size_t kBackupValueBuffer = 256;
constexpr size_t kProfileSectionBuffer = 4096;
constexpr std::wstring_view kMotorPeakSpeedKey = L"motorPeakSpeed";

using ValueTexts = std::map<std::wstring, std::string>;

// The shown value of every entry the object owns in the lists, by key.
ValueTexts ValuesOf(const void* owner, const std::vector<std::string_view>& lists) {
    ValueTexts values;
    if (!owner) return values;
    for (const auto name : lists)
        for (const auto& entry : List(name))
            if (entry.owner == owner && entry.getter) values[entry.key] = entry.getter(entry.owner);
    return values;
}

struct BackupSection {
    const char* name;
    std::vector<std::string_view> lists;
    std::function<const void*()> owner;
    std::function<bool(const Frame&)> parse;
};

template <typename T>
BackupSection Section(const char* name, std::vector<std::string_view> lists,
                      std::shared_ptr<T> MessageStore::*slot) {
    return {name, std::move(lists), [slot] { return static_cast<const void*>((Messages().*slot).get()); },
            [slot](const Frame& frame) { return ParseInto(Messages().*slot, frame); }};
}

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool HasLabel(std::string_view list, const std::wstring& label) {
    for (const auto& entry : List(list))
        if (entry.label == label) return true;
    return false;
}

}  // namespace

bool ApplyCrossGroupLimit(std::wstring_view key) {
    if (key != kMotorPeakSpeedKey) return false;
    const auto& motor = Messages().motorParameters;
    const auto& gears = Messages().standardGearMode;
    if (!motor || !gears) return false;
    gears->LimitSpeeds(motor->MotorPeakSpeed());
    return true;
}

// Loading a backup must mark what it changed: without dirty keys the page would refuse to write, and
// a backup could never be put back onto a controller.
bool ImportBackup(const std::filesystem::path& file) {
    const IniDocument document = LoadIniFile(file);
    const BackupSection sections[] = {
        Section("Motor Parameters", {kMotorSpeedList, kMotorTorqueList, kMotorPowerList},
                &MessageStore::motorParameters),
        Section("Standard Gear Mode", {kGearSpeedList, kSpeedLoopList}, &MessageStore::standardGearMode),
        Section("Accelerator", {kAcceleratorList, kAccelerationList}, &MessageStore::acceleratorPedal),
        Section("Low Side Driver", {kLowSideDriveList}, &MessageStore::lowSideDrive),
        Section("Slope Control", {kHillControlList}, &MessageStore::hillControl),
        Section("Temperature Regulation", {kTemperatureList}, &MessageStore::temperatureRegulation),
        Section("Mileage", {kMileageList}, &MessageStore::mileage),
    };
    bool taken = false;
    for (const auto& section : sections) {
        const std::string cipherText = document.GetString(section.name, "data", "", kBackupValueBuffer);
        const std::string frameHex = DecryptPayload(cipherText);
        Log(std::string(section.name) + " data: " + frameHex);
        const ValueTexts before = ValuesOf(section.owner(), section.lists);
        if (!section.parse(FromHex(frameHex))) continue;
        taken = true;
        for (const auto& [key, value] : ValuesOf(section.owner(), section.lists)) {
            const auto old = before.find(key);
            if (old != before.end() && old->second == value) continue;
            DirtyKeys().insert(key);
            Log(key + L" is dirty");
        }
    }
    return taken;
}

bool ImportProfile(const std::filesystem::path& file) {
    const IniDocument document = LoadIniFile(file);
    const std::pair<const char*, std::vector<std::string_view>> sections[] = {
        {"Motor Speed Parameters", {kMotorSpeedList}},
        {"Motor Torque Parameters", {kMotorTorqueList}},
        {"Standard Gear Mode", {kGearSpeedList, kSpeedLoopList}},
        {"Accelerator", {kAcceleratorList, kAccelerationList}},
        {"Slope Control", {kHillControlList}},
        {"Temperature Regulation", {kTemperatureList}},
    };
    bool applied = false;
    for (const auto& [section, lists] : sections) {
        for (const auto& line : document.GetSectionLines(section, kProfileSectionBuffer)) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key(Trimmed(std::string_view(line).substr(0, equals)));
            const std::string value(Trimmed(std::string_view(line).substr(equals + 1)));
            Log("Key= " + key + " : Value=" + value);
            // A section may span several lists; the one holding the label takes the value, and with
            // none the first list reports the unknown key.
            std::string_view target = lists.front();
            for (const auto name : lists)
                if (HasLabel(name, text::Utf8ToWide(key))) target = name;
            if (!ApplyParamValue(List(target), key, value)) continue;
            applied = true;
            // The same limit the tuning page applies after an edit of the motor's maximum speed.
            for (const auto& entry : List(target))
                if (entry.label == text::Utf8ToWide(key)) ApplyCrossGroupLimit(entry.key);
        }
    }
    return applied;
}

}  // namespace EV48400C
