// Backup and profile files loaded onto the EV48-400-C groups, and the limit one group puts on another.
#pragma once

#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/imessage.h"
#include "core/param_entry.h"

namespace EV48400C {

// The motor's maximum speed, which limits the speed of every gear.
inline constexpr std::wstring_view kMotorPeakSpeedKey = L"motorPeakSpeed";

// After an edit of the motor's maximum speed, brings the gear speeds above it down to it. True when
// the key is the one with that limit and both groups have been read.
bool ApplyCrossGroupLimit(std::wstring_view key);

// A parameter group a backup holds whole, as one frame under the group's own section.
struct BackupGroup {
    const char* section;
    std::vector<std::string_view> lists;      // where its entries are published
    std::function<const IMessage*()> held;    // the group as the program holds it, or none
    std::function<const void*()> owner;       // what its entries point at, or none
    std::function<bool(const Frame&)> check;  // the frame check, on a fresh object: nothing held changes
    std::function<bool(const Frame&)> take;   // parses into the held group and publishes its entries
};
// Every group a backup holds, in the order it writes them. Every backup holds all of them: one is
// written only when the controller gave every group in the connection.
const std::vector<BackupGroup>& BackupGroups();

// The groups, their entries and what was read in this connection as they are now, to be put back
// after a profile not taken or after a backup's values were judged in the groups themselves. A group
// made since is forgotten again.
class GroupsSnapshot {
public:
    GroupsSnapshot();
    void Restore() const;

private:
    std::vector<std::function<void()>> restores_;
    std::vector<std::pair<std::string_view, EntryList>> lists_;
    std::set<const void*> taken_;
};

// Takes a backup group's frame, already checked with the rest of its file, into the held group, and
// marks what changed: the keys whose shown value changed, or every key of the group when its bytes
// changed with nothing shown changing. False when the section names no group or the frame does not
// check out; nothing then changes.
bool RestoreBackupGroup(std::string_view section, const Frame& frame);

// Applies the label=value lines of a profile to the entry lists its sections name, whole or not at
// all (see ApplyProfile); a profile not taken is explained through the prompter. True when taken.
bool ImportProfile(const std::filesystem::path& file);

}  // namespace EV48400C
