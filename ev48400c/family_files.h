// Backup and profile files loaded onto the EV48-400-C groups, and the limit one group puts on another.
#pragma once

#include <filesystem>
#include <string_view>

namespace EV48400C {

// After an edit of the motor's maximum speed, brings the gear speeds above it down to it. True when
// the key is the one with that limit and both groups have been read.
bool ApplyCrossGroupLimit(std::wstring_view key);

// Takes each group's frame from a backup, leaves groups whose frame does not check out as they are,
// and marks what changed: the keys whose shown value changed, or every key of a group whose bytes
// changed with nothing shown changing. True when at least one group was taken.
bool ImportBackup(const std::filesystem::path& file);

// Applies the label=value lines of a profile to the entry lists its sections name, whole or not at
// all (see ApplyProfile); a profile not taken is explained through the prompter. True when taken.
bool ImportProfile(const std::filesystem::path& file);

}  // namespace EV48400C
