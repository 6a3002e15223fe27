#include "session/safety_backup.h"

#include <algorithm>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/log.h"
#include "core/prompter.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "session/family_table.h"
#include "session/read_values.h"
#include "session/tuning_actions.h"

namespace session {

namespace {

constexpr std::string_view kExtension = ".vtdata";
constexpr unsigned kMaxCopies = 99;

std::string Prefix(const std::string& familyName) {
    return "Vantrel-" + familyName + "-AutoBackup-";
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

SafetyBackup NotSaved(std::string problem) {
    Log("No safety backup before the write: " + problem);
    return SafetyBackup{{}, std::move(problem)};
}

}  // namespace

void KeepControllerValues(Family family) {
    const datafiles::DataFilePart* part = Ops(family).dataFile;
    if (!part) return LastRead().DropBackupPart("no controller is connected");
    // Judged now, on the entries shown now: an edit may later show entries this read never asked
    // for (a Tercel speed response mode), which does not make what was read here any less whole.
    const ReadOutcome state = ReadState(family);
    if (const size_t unread = state.NeverRead(); unread > 0)
        return LastRead().DropBackupPart(
            std::to_string(unread) + (unread == 1 ? " value was" : " values were") +
            " not read from the controller in this connection, and a backup holds only values the "
            "controller gave");
    std::ostringstream written;
    part->writeBackup(written);
    LastRead().KeepBackupPart(written.str());
}

std::string SafetyBackupName(const std::string& familyName, const host::LocalTime& when, unsigned copy) {
    return Prefix(familyName) + datafiles::TimeStamp(when) + (copy > 1 ? "-" + std::to_string(copy) : "") +
           std::string(kExtension);
}

std::optional<std::pair<std::string, unsigned>> SafetyBackupOrder(const std::string& name,
                                                                  const std::string& familyName) {
    const std::string prefix = Prefix(familyName);
    if (!name.starts_with(prefix) || !name.ends_with(kExtension)) return std::nullopt;
    std::string_view rest(name);
    rest.remove_prefix(prefix.size());
    rest.remove_suffix(kExtension.size());
    constexpr size_t kStampLength = 15;  // yyyymmdd_hhmmss
    if (rest.size() < kStampLength) return std::nullopt;
    for (size_t i = 0; i < kStampLength; ++i)
        if (i == 8 ? rest[i] != '_' : !IsDigit(rest[i])) return std::nullopt;
    std::string stamp(rest.substr(0, kStampLength));
    rest.remove_prefix(kStampLength);
    if (rest.empty()) return std::pair{std::move(stamp), 1u};
    if (rest.size() < 2 || rest.size() > 3 || rest[0] != '-' || rest[1] == '0') return std::nullopt;
    unsigned copy = 0;
    for (const char c : rest.substr(1)) {
        if (!IsDigit(c)) return std::nullopt;
        copy = copy * 10 + static_cast<unsigned>(c - '0');
    }
    if (copy < 2) return std::nullopt;
    return std::pair{std::move(stamp), copy};
}

void PruneSafetyBackups(const std::filesystem::path& folder, const std::string& familyName) {
    std::vector<std::pair<std::pair<std::string, unsigned>, std::filesystem::path>> found;
    std::error_code error;
    for (const auto& item : std::filesystem::directory_iterator(folder, error)) {
        std::error_code ignored;
        if (!std::filesystem::is_regular_file(item.symlink_status(ignored))) continue;
        if (auto order = SafetyBackupOrder(text::PathToUtf8(item.path().filename()), familyName))
            found.emplace_back(std::move(*order), item.path());
    }
    if (found.size() <= kKeptSafetyBackups) return;
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
    for (size_t i = kKeptSafetyBackups; i < found.size(); ++i) {
        std::error_code removeError;
        if (std::filesystem::remove(found[i].second, removeError))
            Log("Removed old safety backup: " + text::PathToUtf8(found[i].second));
        else if (removeError)
            Log("Cannot remove " + text::PathToUtf8(found[i].second) + ": " + removeError.message());
    }
}

SafetyBackup SaveSafetyBackup(Family family, const std::filesystem::path& executableDirectory,
                              const host::LocalTime& when) {
    const FamilyOps* ops = Find(family);
    if (!ops || !ops->dataFile) return NotSaved("no controller is connected");
    if (!LastRead().BackupPart()) return NotSaved(LastRead().WhyNoBackupPart());

    datafiles::DataFileContext context;
    context.part = ops->dataFile;
    context.executableDirectory = executableDirectory;
    const std::filesystem::path folder = datafiles::BackupsFolder(context);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return NotSaved("cannot create " + text::PathToUtf8(folder) + ": " + error.message());
    // A second write within the same second must not replace the backup of the first.
    std::filesystem::path file;
    for (unsigned copy = 1; copy <= kMaxCopies && file.empty(); ++copy) {
        const std::filesystem::path candidate =
            folder / text::PathFromUtf8(SafetyBackupName(ops->name, when, copy));
        std::error_code ignored;
        if (!std::filesystem::exists(std::filesystem::symlink_status(candidate, ignored))) file = candidate;
    }
    if (file.empty()) return NotSaved("every name for this second is taken in " + text::PathToUtf8(folder));
    const std::string path = text::PathToUtf8(file);
    if (path.size() >= datafiles::kMaxPathLength) return NotSaved("the path is too long: " + path);

    std::string reason;
    if (!datafiles::WriteBackupFile(context, file, when, *LastRead().BackupPart(), &reason))
        return NotSaved("cannot write " + path + ": " + reason);
    Log("Safety backup: " + path);
    PruneSafetyBackups(folder, ops->name);
    return SafetyBackup{file, {}};
}

bool WriteWithoutSafetyBackup(const SafetyBackup& backup) {
    const bool yes = CurrentPrompter().AskYesNo(
        L"No safety backup could be saved before this write:\n" + text::Utf8ToWide(backup.problem) +
            L"\n\nWithout it the values now on the controller cannot be put back from a file.\n\n"
            L"Write anyway?",
        L"Warning");
    Log(yes ? "Writing without a safety backup" : "Nothing written: no safety backup");
    return yes;
}

}  // namespace session
