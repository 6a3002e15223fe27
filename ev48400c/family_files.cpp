#include "ev48400c/family_files.h"

#include <functional>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/param_entry.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/prompter.h"
#include "core/text.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/message_store.h"

namespace EV48400C {

namespace {

// A group's data line is read whole, as the record check reads it.
constexpr size_t kWholeValue = std::numeric_limits<size_t>::max();
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
    std::function<const void*()> owner;  // what the group's entries point at
    std::function<const IMessage*()> message;
    std::function<bool(const Frame&)> parse;
};

template <typename T>
BackupSection Section(const char* name, std::vector<std::string_view> lists,
                      std::shared_ptr<T> MessageStore::*slot) {
    return {name, std::move(lists), [slot] { return static_cast<const void*>((Messages().*slot).get()); },
            [slot] { return static_cast<const IMessage*>((Messages().*slot).get()); },
            [slot](const Frame& frame) { return ParseInto(Messages().*slot, frame); }};
}

// The groups a profile may change, as they were, to be put back when the profile is not taken.
class GroupsSnapshot {
public:
    GroupsSnapshot() {
        auto& m = Messages();
        Keep(m.motorParameters);
        Keep(m.standardGearMode);
        Keep(m.acceleratorPedal);
        Keep(m.lowSideDrive);
        Keep(m.hillControl);
        Keep(m.temperatureRegulation);
        Keep(m.mileage);
    }
    void Restore() const {
        for (const auto& restore : restores_) restore();
    }

private:
    template <typename T>
    void Keep(std::shared_ptr<T>& slot) {
        if (!slot) return;
        auto copy = std::make_shared<T>(*slot);
        restores_.push_back([&slot, copy] {
            if (!slot) return;
            *slot = *copy;
            if constexpr (requires { slot->BuildParamEntries(); }) slot->BuildParamEntries();
        });
    }
    std::vector<std::function<void()>> restores_;
};

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
// a backup could never be put back onto a controller. A group is judged by its bytes, not by the values
// shown: a difference below the shown precision, or in a word stored but not shown, is still a
// difference the controller must be given.
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
        const std::string cipherText = document.GetString(section.name, "data", "", kWholeValue);
        const std::string frameHex = DecryptPayload(cipherText);
        Log(std::string(section.name) + " data: " + frameHex);
        const IMessage* held = section.message();
        const Frame bytesBefore = held ? held->Serialize() : Frame();
        const ValueTexts before = ValuesOf(section.owner(), section.lists);
        if (!section.parse(FromHex(frameHex))) continue;
        taken = true;
        const IMessage* loaded = section.message();
        if (loaded->Serialize() == bytesBefore) continue;
        const ValueTexts after = ValuesOf(section.owner(), section.lists);
        std::vector<std::wstring> changed;
        for (const auto& [key, value] : after) {
            const auto old = before.find(key);
            if (old == before.end() || old->second != value) changed.push_back(key);
        }
        // Nothing shown changed, yet the bytes did: every key of the group carries the change.
        if (changed.empty())
            for (const auto& [key, value] : after) changed.push_back(key);
        for (const auto& key : changed) {
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
    std::vector<ProfileHeading> headings;
    for (const auto& [section, lists] : sections) {
        ProfileHeading heading{section, {}};
        for (const auto name : lists) heading.lists.push_back(&List(name));
        headings.push_back(std::move(heading));
    }
    const GroupsSnapshot snapshot;
    // The same limit the tuning page applies after an edit of the motor's maximum speed.
    const ProfileOutcome outcome = ApplyProfile(
        document, headings, kProfileSectionBuffer,
        [](const ParamEntry& entry) { ApplyCrossGroupLimit(entry.key); },
        [&snapshot] { snapshot.Restore(); });
    if (outcome.Taken()) return true;
    CurrentPrompter().ShowMessage(text::Utf8ToWide(ProfileRefusalText(text::PathToUtf8(file), outcome)),
                                  L"Warning", MessageIcon::Warning);
    return false;
}

}  // namespace EV48400C
