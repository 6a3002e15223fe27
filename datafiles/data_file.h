// Backups and profiles: the data files a technician keeps of a controller's settings. SaveBackup
// writes the connected family's state; LoadDataFile takes a backup or a profile back into the
// family's model, to be written to the controller by the tuning page. Dialogs and message boxes go
// through the prompter.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

#include "core/host.h"
#include "core/ini_file.h"
#include "datafiles/backup_records.h"
#include "datafiles/tuning_layout.h"

namespace datafiles {

// One family's part of the format: what it writes after the common header, how its backup records are
// checked, and how a checked backup or a profile is taken into its model.
struct DataFilePart {
    const char* familyName;  // "ControllerType=" and the backups folder
    void (*writeBackup)(std::ostream& out);
    std::vector<DataRecord> (*backupRecords)(const IniDocument& document, bool describe);
    // Run only after every record passed its check, with those records.
    bool (*importBackup)(const std::filesystem::path& file, const std::vector<DataRecord>& records);
    // Whole or not at all; a profile not taken is explained to the user through the prompter.
    bool (*importProfile)(const std::filesystem::path& file);
    std::vector<const char*> profileSections;
};

extern const DataFilePart kEv48400cDataFile;
extern const DataFilePart kFjDataFile;
extern const DataFilePart kTercelDataFile;

// What the program knows when a data file is saved or loaded.
struct DataFileContext {
    const DataFilePart* part = nullptr;  // the connected family's; none while nothing is connected
    std::filesystem::path executableDirectory;
    std::string windowTitle = ProgramTitle();  // "Version=" of a backup
    std::string customerName;                  // empty unless one was set
    bool createBackupsFolder = true;           // made before the dialog opens in it
    static std::string ProgramTitle();         // "Vantrel  :  <version>"
};

inline constexpr size_t kMaxPathLength = 260;
inline constexpr std::string_view kContact = "support@vantrel.example";

// "<executable folder>/<name>/backups"
std::filesystem::path BackupsFolder(const DataFileContext& context);
// "Vantrel-FJ-Backup-20250708_140509.vtdata"
std::string ProposedBackupName(const std::string& familyName, const host::LocalTime& when);
// "20250708_140509"
std::string TimeStamp(const host::LocalTime& when);

// Writes a backup of the family's part (what its writeBackup wrote) to the file, without a dialog,
// replacing the file whole or not at all. False, with the reason, when it was not written.
bool WriteBackupFile(const DataFileContext& context, const std::filesystem::path& file,
                     const host::LocalTime& when, const std::string& familyPart,
                     std::string* reason = nullptr);

// True when a backup was written.
bool SaveBackup(const DataFileContext& context, const host::LocalTime& when);
inline bool SaveBackup(const DataFileContext& context) {
    return SaveBackup(context, host::Now());
}

// True when a file was taken into the model: the tuning page then rebuilds its lists.
bool LoadDataFile(const DataFileContext& context);

// A backup's records, each checked by its family (frame, write command, an entry the family writes and
// not read-only, a value within the entry's limits), and the file as a whole (records present, no
// section or record key given twice, its count and check), before anything is applied. False, with
// the record and the reason logged and the user told, when one cannot be used.
bool CheckBackupRecords(const DataFilePart& part, const std::filesystem::path& file);

// What the reader takes in of one section of a profile.
inline constexpr size_t kProfileSectionBuffer = 4096;

// Why a profile is refused whatever values it holds, each as a profile refusal lists it: a section given
// twice (the reader would pass over the second), a line of the family's sections that is not
// label=value or gives a label again, a section longer than the reader takes in. Load refuses for these
// before it looks at any value, and inspect refuses for the same.
std::vector<std::string> ProfileShapeRefusals(const IniDocument& document, const DataFilePart& part);

// Data files are small; anything larger is refused before it is parsed.
inline constexpr uintmax_t kMaxDataFileSize = 1024 * 1024;
// "not a Vantrel data file: too large", or empty.
std::string TooLargeProblem(const std::filesystem::path& file);

}  // namespace datafiles
