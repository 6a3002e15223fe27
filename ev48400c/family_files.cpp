#include "ev48400c/family_files.h"

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/param_entry.h"
#include "core/param_registry.h"
#include "core/prompter.h"
#include "core/text.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/message_store.h"

namespace EV48400C {

namespace {

constexpr size_t kProfileSectionBuffer = 4096;

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

template <typename T>
BackupGroup Group(const char* section, std::vector<std::string_view> lists,
                  std::shared_ptr<T> MessageStore::*slot) {
    return {section,
            std::move(lists),
            [slot] { return static_cast<const IMessage*>((Messages().*slot).get()); },
            [slot] { return static_cast<const void*>((Messages().*slot).get()); },
            [](const Frame& frame) { return T().Parse(frame); },
            [slot](const Frame& frame) { return ParseInto(Messages().*slot, frame); }};
}

template <typename T>
std::function<void()> Keeper(std::shared_ptr<T>& slot) {
    if (!slot) return [&slot] { slot.reset(); };
    // The entries point at the held object: its values are put back into it.
    return [&slot, held = slot, copy = *slot] {
        slot = held;
        *slot = copy;
    };
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

const std::vector<BackupGroup>& BackupGroups() {
    static const std::vector<BackupGroup> groups = {
        Group("Motor Parameters", {kMotorSpeedList, kMotorTorqueList, kMotorPowerList},
              &MessageStore::motorParameters),
        Group("Standard Gear Mode", {kGearSpeedList, kSpeedLoopList}, &MessageStore::standardGearMode),
        Group("Accelerator", {kAcceleratorList, kAccelerationList}, &MessageStore::acceleratorPedal),
        Group("Low Side Driver", {kLowSideDriveList}, &MessageStore::lowSideDrive),
        Group("Slope Control", {kHillControlList}, &MessageStore::hillControl),
        Group("Temperature Regulation", {kTemperatureList}, &MessageStore::temperatureRegulation),
        Group("Mileage", {kMileageList}, &MessageStore::mileage),
    };
    return groups;
}

GroupsSnapshot::GroupsSnapshot() : taken_(TakenThisRead()) {
    auto& m = Messages();
    restores_ = {Keeper(m.motorParameters), Keeper(m.standardGearMode),      Keeper(m.acceleratorPedal),
                 Keeper(m.lowSideDrive),    Keeper(m.temperatureRegulation), Keeper(m.hillControl),
                 Keeper(m.mileage)};
    for (const auto name : kAllLists) lists_.emplace_back(name, List(name));
}

void GroupsSnapshot::Restore() const {
    // The entries first, so that none is left pointing at a group made since and forgotten here.
    for (const auto& [name, entries] : lists_) List(name) = entries;
    for (const auto& restore : restores_) restore();
    TakenThisRead() = taken_;
}

// Loading a backup must mark what it changed: without dirty keys the page would refuse to write, and
// a backup could never be put back onto a controller. A group is judged by its bytes, not by the values
// shown: a difference below the shown precision, or in a word stored but not shown, is still a
// difference the controller must be given.
bool RestoreBackupGroup(std::string_view section, const Frame& frame) {
    const auto& groups = BackupGroups();
    const auto group = std::find_if(groups.begin(), groups.end(),
                                    [section](const BackupGroup& g) { return g.section == section; });
    if (group == groups.end()) return false;
    Log(std::string(section) + " data: " + ToHex(frame));
    const IMessage* held = group->held();
    const Frame bytesBefore = held ? held->Serialize() : Frame();
    const ValueTexts before = ValuesOf(group->owner(), group->lists);
    if (!group->take(frame)) return false;
    if (group->held()->Serialize() == bytesBefore) return true;
    const ValueTexts after = ValuesOf(group->owner(), group->lists);
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
    return true;
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
