#include "datafiles/data_file.h"

#include <cstdio>
#include <fstream>
#include <functional>
#include <optional>
#include <ostream>
#include <sstream>
#include <system_error>
#include <vector>

#include "core/atomic_file.h"
#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/prompter.h"
#include "core/text.h"
#include "ev48400c/family_files.h"
#include "ev48400c/message_store.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "tercel/command_codec.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/tercel_controller.h"

namespace datafiles {

namespace {

constexpr size_t kFileValueBuffer = 256;
constexpr std::string_view kWarningTitle = "Warning";

FileDialogRequest DialogRequest(std::string title) {
    return {std::move(title),
            {{"Vantrel Data Files (*.vtdata)", "*.vtdata"}, {"All Files", "*.*"}},
            "vtdata",
            {},
            {}};
}

void Warn(const std::string& message) {
    CurrentPrompter().ShowMessage(text::Utf8ToWide(message), text::WidenByChar(kWarningTitle),
                                  MessageIcon::Warning);
}

// A header value with line breaks would start lines of its own, and a customer name could then carry
// a section of records into the file.
std::string OneLine(std::string value) {
    for (char& c : value)
        if (c == '\n' || c == '\r' || c == '\0') c = ' ';
    return value;
}

std::string Two(int value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%02d", value);
    return buffer;
}

// "label=value" for every row, as the tuning page shows it.
void WriteRows(std::ostream& out, const std::vector<LayoutSection>& sections) {
    for (const ParamEntry* entry : SectionRows(sections)) {
        out << text::NarrowByLowByte(entry->label) << '=';
        if (entry->getter) out << entry->getter(entry->owner);
        out << '\n';
    }
}

std::vector<LayoutSection> Joined(const std::vector<TabLayout>& layout,
                                  std::initializer_list<TuningTab> tabs) {
    std::vector<LayoutSection> sections;
    for (const TuningTab tab : tabs)
        for (auto& section : TabSections(layout, tab)) sections.push_back(std::move(section));
    return sections;
}

void WriteRecords(std::ostream& out, const std::vector<std::string>& records) {
    for (size_t i = 0; i < records.size(); ++i) out << 'd' << i << '=' << records[i] << '\n';
}

void WriteMessage(std::ostream& out, const char* section, const IMessage* message, bool withData) {
    out << '\n' << '[' << section << "]\n";
    if (!message) return;  // never read: nothing to keep (a backup is made only when every group was read)
    out << message->Describe();
    if (withData) out << "data=" << EncryptPayload(ToHex(message->Serialize())) << '\n';
}

// The headings of a profile and the lists of the tab each names. The registry hands out the lists it
// owns; the profile changes them in place.
std::vector<ProfileHeading> ProfileHeadings(const std::vector<TabLayout>& layout) {
    std::vector<ProfileHeading> headings;
    for (const auto& [section, tab] :
         {std::pair{"Tuning", TuningTab::Tuning}, std::pair{"Sink", TuningTab::Sink}}) {
        ProfileHeading heading{section, {}};
        for (const EntryList* list : SectionLists(TabSections(layout, tab)))
            heading.lists.push_back(const_cast<EntryList*>(list));
        headings.push_back(std::move(heading));
    }
    return headings;
}

// Takes the profile whole or not at all; restore puts the family's values back when it is not taken,
// and the user is told which lines were refused.
bool ImportProfileSections(const std::filesystem::path& file, const std::vector<TabLayout>& layout,
                           const std::function<void()>& restore) {
    const IniDocument document = LoadIniFile(file);
    const ProfileOutcome outcome =
        ApplyProfile(document, ProfileHeadings(layout), kProfileSectionBuffer, nullptr, restore);
    if (outcome.Taken()) return true;
    Warn(ProfileRefusalText(text::PathToUtf8(file), outcome));
    return false;
}

}  // namespace

std::string DataFileContext::ProgramTitle() {
    return std::string("Vantrel  :  ") + VANTREL_VERSION;
}

std::filesystem::path BackupsFolder(const DataFileContext& context) {
    return context.executableDirectory / (context.part ? context.part->familyName : "") / "backups";
}

std::string TimeStamp(const host::LocalTime& when) {
    char year[16];
    std::snprintf(year, sizeof year, "%04d", when.year);
    return year + Two(when.month) + Two(when.day) + "_" + Two(when.hour) + Two(when.minute) +
           Two(when.second);
}

std::string ProposedBackupName(const std::string& familyName, const host::LocalTime& when) {
    return "Vantrel-" + familyName + "-Backup-" + TimeStamp(when) + ".vtdata";
}

bool WriteBackupFile(const DataFileContext& context, const std::filesystem::path& file,
                     const host::LocalTime& when, const std::string& familyPart, std::string* reason) {
    if (!context.part) {
        if (reason) *reason = "no controller is connected";
        return false;
    }
    std::ostringstream out;
    out << "; WARNING - DO NOT EDIT THIS FILE\n"
        << "; Changes will prevent loading and you will lose ability to recover.\n"
        << "\n[Vantrel]\n"
        << "Version=" << OneLine(context.windowTitle) << '\n'
        << "Contact=" << kContact << '\n'
        << "\n[Customer]\n"
        << "Name=" << OneLine(context.customerName) << '\n'
        << "\n[FILE]\n"
        << "ControllerType=" << context.part->familyName << '\n'
        << "Name=" << OneLine(text::PathToUtf8(file)) << '\n'
        << "Date=" << TimeStamp(when) << '\n'
        << "Type=Backup\n";
    // The count and check of the records let a later reader see a file cut short or edited by hand.
    const auto records = context.part->backupRecords(IniDocument(familyPart), false);
    out << "Records=" << records.size() << '\n' << "DataCrc32=" << Crc32Text(RecordsCrc32(records)) << '\n';
    out << familyPart;
    // Written beside the target first and renamed over it only when complete, so a full disk or a
    // crash never leaves a cut-down backup where a good one was.
    return WriteFileAtomically(file, out.str(), reason);
}

bool SaveBackup(const DataFileContext& context, const host::LocalTime& when) {
    // Checked before the dialog: a file chosen and then left empty would destroy what it held.
    if (!context.part) {
        Warn("Controller Undefined - Cant Save");
        Log("Controller Undefined - Cant Save");
        return false;
    }
    const std::filesystem::path folder = BackupsFolder(context);
    const std::string name = ProposedBackupName(context.part->familyName, when);
    const std::string proposed = text::PathToUtf8(folder / name);
    if (proposed.size() >= kMaxPathLength) {
        CurrentPrompter().ShowMessage(L"Path too long", L"Warning", MessageIcon::Warning);
        Log("Path too long: " + proposed);
        return false;
    }
    if (context.createBackupsFolder) {
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) Log("Cannot create " + text::PathToUtf8(folder) + ": " + error.message());
    }

    Log("TuningCard::SaveFile()");
    FileDialogRequest request = DialogRequest("Save Vantrel Data");
    request.initialDirectory = folder;
    request.proposedName = name;
    const auto chosen = CurrentPrompter().ChooseSaveFile(request);
    if (!chosen) {
        // The dialog seam reports only that nothing was chosen; a cancel carries no error code.
        Log("GetSaveFileNameA 0 No file chosen");
        return false;
    }
    const std::string path = text::PathToUtf8(*chosen);

    std::ostringstream part;
    context.part->writeBackup(part);
    std::string reason;
    if (!WriteBackupFile(context, *chosen, when, part.str(), &reason)) {
        Log(reason);
        Warn("Could not write " + path);
        return false;
    }
    Log("Wrote: " + path);
    SetStatus(text::Utf8ToWide("Wrote: " + path));
    return true;
}

namespace {

void WriteEv48400cPart(std::ostream& out) {
    const auto& messages = EV48400C::Messages();
    WriteMessage(out, "Controller", messages.liveData.get(), false);
    WriteMessage(out, "Firmware", messages.firmwareVersion.get(), false);
    WriteMessage(out, "Faults", messages.faultList.get(), false);
    out << "\n\n";
    for (const auto& group : EV48400C::BackupGroups()) WriteMessage(out, group.section, group.held(), true);
}

// Each record is the entry's write request built from the raw value the controller reported, so a
// scaled or named value comes back bit for bit.
void WriteFjPart(std::ostream& out) {
    out << "\n[Tuning]\n";
    const auto layout = FjLayout();
    WriteRows(out, TabSections(layout, TuningTab::Tuning));
    out << "\n[Controller]\n";
    WriteRows(out, Joined(layout, {TuningTab::Info, TuningTab::Stats}));
    out << "\n[Faults]\n\n";
    out << "\n[Sink]\n";
    const auto sink = TabSections(layout, TuningTab::Sink);
    WriteRows(out, sink);
    out << "\n[Data]\n";
    std::vector<std::string> records;
    for (const auto& sections : {TabSections(layout, TuningTab::Tuning), sink})
        for (const ParamEntry* entry : SectionRows(sections)) {
            if (entry->readOnly) continue;
            const auto request = FJ::BuildWriteRequestFromTable(entry->key);
            if (request.empty()) {
                Log(L"FJ: " + entry->key + L" is not an address, not saved");
                continue;
            }
            records.push_back(EncryptPayload(ToHex(request)));
        }
    WriteRecords(out, records);
}

void WriteTercelPart(std::ostream& out) {
    const auto layout = TercelLayout();
    out << "\n[Tuning]\n";
    WriteRows(out, TabSections(layout, TuningTab::Tuning));
    out << "\n[Controller]\n";
    WriteRows(out, TabSections(layout, TuningTab::Info));
    out << "\n[Faults]\n";
    out << "\n[Sink]\n";
    WriteRows(out, TabSections(layout, TuningTab::Sink));
    out << "\n[Data]\n";
    std::vector<const EntryList*> lists;
    for (const auto& tab : layout)
        for (const EntryList* list : SectionLists(tab.sections)) lists.push_back(list);
    WriteRecords(out, Tercel::TercelController().ExportRecords(lists));
}

bool ImportFjProfile(const std::filesystem::path& file) {
    const FJ::FjValueTable saved = FJ::FjValueTable::Instance();
    return ImportProfileSections(file, FjLayout(), [&saved] { FJ::FjValueTable::Instance() = saved; });
}

bool ImportTercelProfile(const std::filesystem::path& file) {
    const Tercel::RegisterMap saved = Tercel::Registers();
    return ImportProfileSections(file, TercelLayout(), [&saved] { Tercel::Registers() = saved; });
}

// The records are write requests; they parse like write acknowledges, so a value that differs from the
// table is stored and marked for the next write.
bool ImportFjBackup(const std::filesystem::path&, const std::vector<DataRecord>& records) {
    for (const auto& record : records) FJ::ParseResponse(record.frame);
    return true;
}

// Each write frame sets its register and marks it when the value changes.
bool ImportTercelBackup(const std::filesystem::path&, const std::vector<DataRecord>& records) {
    for (const auto& record : records) Tercel::HandleFrame(record.frame);
    return true;
}

// Each group takes the frame its record was checked with.
bool ImportEv48400cBackup(const std::filesystem::path&, const std::vector<DataRecord>& records) {
    bool taken = !records.empty();
    for (const auto& record : records)
        taken = EV48400C::RestoreBackupGroup(record.section, record.frame) && taken;
    return taken;
}

// The records of a backup when every one of them and the file as a whole pass; otherwise the user is
// told which record, and why.
std::optional<std::vector<DataRecord>> CheckedRecords(const DataFilePart& part,
                                                      const std::filesystem::path& file) {
    const IniDocument document = LoadIniFile(file);
    auto records = part.backupRecords(document, false);
    std::string why;
    if (const DataRecord* damaged = FirstDamaged(records))
        why = "record [" + damaged->section + "] " + damaged->key + ": " + damaged->damage;
    else
        why = IntegrityProblem(document, records);
    if (why.empty()) return records;
    Log("Data file damaged: " + why);
    Warn("The file is damaged and was not loaded:\n" + text::PathToUtf8(file) + "\n" + why);
    return std::nullopt;
}

}  // namespace

const DataFilePart kEv48400cDataFile = {
    "EV48-400-C",
    WriteEv48400cPart,
    Ev48400cRecords,
    ImportEv48400cBackup,
    EV48400C::ImportProfile,
    {"Motor Speed Parameters", "Motor Torque Parameters", "Standard Gear Mode", "Accelerator",
     "Slope Control", "Temperature Regulation"}};
const DataFilePart kFjDataFile = {"FJ",           WriteFjPart,     FjRecords,
                                  ImportFjBackup, ImportFjProfile, {"Tuning", "Sink"}};
const DataFilePart kTercelDataFile = {"Tercel",           WriteTercelPart,     TercelRecords,
                                      ImportTercelBackup, ImportTercelProfile, {"Tuning", "Sink"}};

bool CheckBackupRecords(const DataFilePart& part, const std::filesystem::path& file) {
    return CheckedRecords(part, file).has_value();
}

std::vector<std::string> ProfileShapeRefusals(const IniDocument& document, const DataFilePart& part) {
    std::vector<std::string> refused;
    if (std::string repeated = RepeatedSection(document); !repeated.empty())
        refused.push_back(std::move(repeated));
    const std::vector<std::string> sections(part.profileSections.begin(), part.profileSections.end());
    for (const auto& line : ReadProfileLines(document, sections, kProfileSectionBuffer))
        if (!line.problem.empty()) refused.push_back(line.Refusal());
    return refused;
}

std::string TooLargeProblem(const std::filesystem::path& file) {
    std::error_code error;
    const auto size = std::filesystem::file_size(file, error);
    if (!error && size > kMaxDataFileSize) return "not a Vantrel data file: too large";
    return {};
}

bool LoadDataFile(const DataFileContext& context) {
    const auto chosen = CurrentPrompter().ChooseOpenFile(DialogRequest("Open Vantrel Data"));
    if (!chosen) return false;
    const std::filesystem::path& file = *chosen;
    const std::string path = text::PathToUtf8(file);
    if (const std::string tooLarge = TooLargeProblem(file); !tooLarge.empty()) {
        Log(tooLarge + ": " + path);
        Warn(tooLarge + ":\n" + path);
        return false;
    }
    const IniDocument document = LoadIniFile(file);

    const std::string controllerType = document.GetString("File", "ControllerType", "", kFileValueBuffer);
    Log("Controller Type: " + controllerType);
    if (!context.part) {
        Log("ERROR: Unknown Controller");
        return false;
    }
    const DataFilePart& part = *context.part;
    const std::string familyName = part.familyName;
    if (!text::EqualsNoCase(controllerType, familyName)) {
        Log("Incorrect Controller Type: " + controllerType);
        Warn("Incorrect Controller Type: " + controllerType);
        return false;
    }
    const std::string fileType = document.GetString("File", "Type", "", kFileValueBuffer);
    Log("File Type: " + fileType);

    if (text::EqualsNoCase(fileType, "Backup")) {
        const auto records = CheckedRecords(part, file);
        const bool loaded = records && part.importBackup(file, *records);
        if (loaded) SetStatus(text::Utf8ToWide("Loaded " + familyName + " Backup: " + path));
        return loaded;
    }
    if (text::EqualsNoCase(fileType, "Profile")) {
        if (const auto refused = ProfileShapeRefusals(document, part); !refused.empty()) {
            Log("Profile refused: " + refused.front());
            Warn(ProfileRefusalText(path, {0, refused}));
            return false;
        }
        if (!part.importProfile(file)) return false;
        SetStatus(text::Utf8ToWide("Loaded " + familyName + " Profile: " + path));
        return true;
    }
    Log("Unknown file type: " + fileType);
    Warn("Unknown file type: " + fileType);
    SetStatus(text::Utf8ToWide("ERROR Loading Unknown File: " + path));
    return false;
}

}  // namespace datafiles
