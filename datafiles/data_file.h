// Backups and profiles: the data files a technician keeps of a controller's settings. SaveBackup
// writes the connected family's state; LoadDataFile takes a backup or a profile back into the
// family's model, to be written to the controller by the tuning page. Dialogs and message boxes go
// through the prompter.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "core/host.h"
#include "datafiles/tuning_layout.h"

namespace datafiles {

// What the program knows when a data file is saved or loaded.
struct DataFileContext {
    Family family = Family::None;  // the connected family
    std::filesystem::path executableDirectory;
    std::string windowTitle = ProgramTitle();  // "Version=" of a backup
    std::string customerName;                  // empty unless one was set
    static std::string ProgramTitle();         // "Vantrel  :  <version>"
};

inline constexpr size_t kMaxPathLength = 260;
inline constexpr std::string_view kContact = "support@vantrel.example";

// "<executable folder>/<name>/backups"
std::filesystem::path BackupsFolder(const DataFileContext& context);
// "Vantrel-FJ-Backup-20250708_140509.vtdata"
std::string ProposedBackupName(Family family, const host::LocalTime& when);
// "20250708_140509"
std::string TimeStamp(const host::LocalTime& when);

// True when a backup was written.
bool SaveBackup(const DataFileContext& context, const host::LocalTime& when);
inline bool SaveBackup(const DataFileContext& context) {
    return SaveBackup(context, host::Now());
}

// True when a file was taken into the model: the tuning page then rebuilds its lists.
bool LoadDataFile(const DataFileContext& context);

// The family parts of a backup, after the common header.
void WriteEv48400cPart(std::ostream& out);
void WriteFjPart(std::ostream& out);
void WriteTercelPart(std::ostream& out);

// A backup's data records, decoded before anything is applied. False, with the key and the reason
// logged and the user told, when one does not decipher or decode.
bool CheckDataRecords(const std::filesystem::path& file);

// The profile imports of FJ and Tercel: "Tuning" lines to the tuning lists, "Sink" lines to the sink
// lists. True when at least one value was applied.
bool ImportFjProfile(const std::filesystem::path& file);
bool ImportTercelProfile(const std::filesystem::path& file);

}  // namespace datafiles
