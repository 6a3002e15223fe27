// The safety backup saved before every write to a controller: the values last read from it in this
// connection, not the pending edits, so that loading the file and writing it puts back what the
// controller held before, bit for bit. The family's part of it is written whenever the model holds
// exactly the controller's values, and kept until the write. The window and the command line both
// save it here; they differ only in what they do when it cannot be saved (the window asks, the command
// line refuses).
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>

#include "core/family.h"
#include "core/host.h"

namespace session {

// The newest automatic backups kept per family; older automatic ones are removed, and a backup the
// technician saved is never touched.
inline constexpr size_t kKeptSafetyBackups = 20;

struct SafetyBackup {
    std::filesystem::path file;  // the file written; empty when none was
    std::string problem;         // why none was written, one line; empty when one was

    bool Saved() const { return !file.empty(); }
};

// "Vantrel-FJ-AutoBackup-20250708_140509.vtdata"; copy 2 and on (a second backup within the same
// second) end in "-2.vtdata" and on.
std::string SafetyBackupName(const std::string& familyName, const host::LocalTime& when, unsigned copy = 1);

// The time stamp and copy number of the family's safety backup by that name; none for every other name,
// which pruning then leaves alone.
std::optional<std::pair<std::string, unsigned>> SafetyBackupOrder(const std::string& name,
                                                                  const std::string& familyName);

// After a read, or a write the controller confirmed whole: keeps the family's part of a backup file as
// the model holds it now, which is then exactly the controller's values; keeps none, and says why,
// while some entry shown now has no value read in this connection.
void KeepControllerValues(Family family);

// Saves the values kept last into "<executable folder>/<family>/backups", then removes the family's
// oldest safety backups beyond kKeptSafetyBackups. Refused when nothing was kept: the last read left
// some value unread (a backup holds only values the controller gave), or the last write was not
// confirmed whole. The log names the file, or says why there is none.
SafetyBackup SaveSafetyBackup(Family family, const std::filesystem::path& executableDirectory,
                              const host::LocalTime& when);
inline SafetyBackup SaveSafetyBackup(Family family, const std::filesystem::path& executableDirectory) {
    return SaveSafetyBackup(family, executableDirectory, host::Now());
}

// Removes the family's safety backups in the folder beyond the newest kKeptSafetyBackups.
void PruneSafetyBackups(const std::filesystem::path& folder, const std::string& familyName);

// The window's question when no safety backup could be saved: Yes writes anyway, No (the default)
// writes nothing. True for Yes.
bool WriteWithoutSafetyBackup(const SafetyBackup& backup);

}  // namespace session
