#include "datafiles/data_file.h"

#include <cstdio>
#include <fstream>
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
#include "fj/fj_controller.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "tercel/entry_lists.h"
#include "tercel/tercel_controller.h"

namespace datafiles {

namespace {

constexpr size_t kFileValueBuffer = 256;
constexpr size_t kRecordBuffer = 2048;
constexpr size_t kProfileSectionBuffer = 4096;
constexpr std::string_view kWarningTitle = "Warning";

FileDialogRequest DialogRequest(std::string title) {
    return {std::move(title),
            {{"Vantrel Data Files (*.vtdata)", "*.vtdata"}, {"All Files", "*.*"}},
            "vtdata",
            {},
            {}};
}

void Warn(const std::string& message) {
    CurrentPrompter().ShowMessage(text::WidenByChar(message), text::WidenByChar(kWarningTitle),
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

std::vector<LayoutSection> Joined(Family family, std::initializer_list<TuningTab> tabs) {
    std::vector<LayoutSection> sections;
    for (const TuningTab tab : tabs)
        for (auto& section : TabSections(family, tab)) sections.push_back(std::move(section));
    return sections;
}

void WriteRecords(std::ostream& out, const std::vector<std::string>& records) {
    for (size_t i = 0; i < records.size(); ++i) out << 'd' << i << '=' << records[i] << '\n';
}

void WriteMessage(std::ostream& out, const char* section, const IMessage* message, bool withData) {
    out << '\n' << '[' << section << "]\n";
    if (!message) return;  // never read: nothing to keep, and a load leaves the group as it is
    out << message->Describe();
    if (withData) out << "data=" << EncryptPayload(ToHex(message->Serialize())) << '\n';
}

std::string Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return std::string(s);
}

// Applies "label=value" lines of each section to the lists of its headings; a label found in none of
// them is refused by the first list, which logs it.
bool ImportProfileSections(
    const std::filesystem::path& file,
    const std::vector<std::pair<const char*, std::vector<const EntryList*>>>& sections) {
    const IniDocument document = LoadIniFile(file);
    bool applied = false;
    for (const auto& [section, lists] : sections) {
        if (lists.empty()) continue;
        for (const auto& line : document.GetSectionLines(section, kProfileSectionBuffer)) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            const std::string key = Trimmed(std::string_view(line).substr(0, equals));
            const std::string value = Trimmed(std::string_view(line).substr(equals + 1));
            Log("Key= " + key + " : Value=" + value);
            const std::wstring label = text::Utf8ToWide(key);
            const EntryList* target = lists.front();
            for (const EntryList* list : lists)
                for (const auto& entry : *list)
                    if (entry.label == label) target = list;
            // The registry hands out the lists it owns; the profile changes them in place.
            if (ApplyParamValue(const_cast<EntryList&>(*target), key, value)) applied = true;
        }
    }
    return applied;
}

// Writes the text beside the target first and renames it over the target only when it is complete,
// so a full disk or a crash never leaves a cut-down backup where a good one was.
bool WriteWhole(const std::filesystem::path& target, const std::string& contents) {
    std::string reason;
    if (WriteFileAtomically(target, contents, &reason)) return true;
    Log(reason);
    return false;
}

}  // namespace

std::string DataFileContext::ProgramTitle() {
    return std::string("Vantrel  :  ") + VANTREL_VERSION;
}

std::filesystem::path BackupsFolder(const DataFileContext& context) {
    return context.executableDirectory / FamilyName(context.family) / "backups";
}

std::string TimeStamp(const host::LocalTime& when) {
    char year[16];
    std::snprintf(year, sizeof year, "%04d", when.year);
    return year + Two(when.month) + Two(when.day) + "_" + Two(when.hour) + Two(when.minute) +
           Two(when.second);
}

std::string ProposedBackupName(Family family, const host::LocalTime& when) {
    return "Vantrel-" + FamilyName(family) + "-Backup-" + TimeStamp(when) + ".vtdata";
}

bool SaveBackup(const DataFileContext& context, const host::LocalTime& when) {
    // Checked before the dialog: a file chosen and then left empty would destroy what it held.
    if (context.family == Family::None) {
        Warn("Controller Undefined - Cant Save");
        Log("Controller Undefined - Cant Save");
        return false;
    }
    const std::filesystem::path folder = BackupsFolder(context);
    const std::string name = ProposedBackupName(context.family, when);
    const std::string proposed = text::PathToUtf8(folder / name);
    if (proposed.size() >= kMaxPathLength) {
        CurrentPrompter().ShowMessage(L"Path too long", L"Warning", MessageIcon::Warning);
        Log("Path too long: " + proposed);
        return false;
    }
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) Log("Cannot create " + text::PathToUtf8(folder) + ": " + error.message());

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

    std::ostringstream out;
    out << "; WARNING - DO NOT EDIT THIS FILE\n"
        << "; Changes will prevent loading and you will lose ability to recover.\n"
        << "\n[Vantrel]\n"
        << "Version=" << OneLine(context.windowTitle) << '\n'
        << "Contact=" << kContact << '\n'
        << "\n[Customer]\n"
        << "Name=" << OneLine(context.customerName) << '\n'
        << "\n[FILE]\n"
        << "ControllerType=" << FamilyName(context.family) << '\n'
        << "Name=" << OneLine(path) << '\n'
        << "Date=" << TimeStamp(when) << '\n'
        << "Type=Backup\n";
    switch (context.family) {
        case Family::EV48400C:
            WriteEv48400cPart(out);
            break;
        case Family::FJ:
            WriteFjPart(out);
            break;
        case Family::Tercel:
            WriteTercelPart(out);
            break;
        case Family::None:
            break;
    }
    if (!WriteWhole(*chosen, out.str())) {
        Warn("Could not write " + path);
        return false;
    }
    Log("Wrote: " + path);
    SetStatus(text::Utf8ToWide("Wrote: " + path));
    return true;
}

void WriteEv48400cPart(std::ostream& out) {
    const auto& messages = EV48400C::Messages();
    WriteMessage(out, "Controller", messages.liveData.get(), false);
    WriteMessage(out, "Firmware", messages.firmwareVersion.get(), false);
    WriteMessage(out, "Faults", messages.faultList.get(), false);
    out << "\n\n";
    WriteMessage(out, "Motor Parameters", messages.motorParameters.get(), true);
    WriteMessage(out, "Standard Gear Mode", messages.standardGearMode.get(), true);
    WriteMessage(out, "Accelerator", messages.acceleratorPedal.get(), true);
    WriteMessage(out, "Low Side Driver", messages.lowSideDrive.get(), true);
    WriteMessage(out, "Slope Control", messages.hillControl.get(), true);
    WriteMessage(out, "Temperature Regulation", messages.temperatureRegulation.get(), true);
    WriteMessage(out, "Mileage", messages.mileage.get(), true);
}

// Each record is the entry's write request built from the raw value the controller reported, so a
// scaled or named value comes back bit for bit.
void WriteFjPart(std::ostream& out) {
    out << "\n[Tuning]\n";
    WriteRows(out, TabSections(Family::FJ, TuningTab::Tuning));
    out << "\n[Controller]\n";
    WriteRows(out, Joined(Family::FJ, {TuningTab::Info, TuningTab::Stats}));
    out << "\n[Faults]\n\n";
    out << "\n[Sink]\n";
    const auto sink = TabSections(Family::FJ, TuningTab::Sink);
    WriteRows(out, sink);
    out << "\n[Data]\n";
    std::vector<std::string> records;
    for (const auto& sections : {TabSections(Family::FJ, TuningTab::Tuning), sink})
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
    const auto tuning = TabSections(Family::Tercel, TuningTab::Tuning);
    out << "\n[Tuning]\n";
    WriteRows(out, tuning);
    out << "\n[Controller]\n";
    WriteRows(out, TabSections(Family::Tercel, TuningTab::Info));
    out << "\n[Faults]\n";
    out << "\n[Sink]\n";
    WriteRows(out, TabSections(Family::Tercel, TuningTab::Sink));
    out << "\n[Data]\n";
    std::vector<const EntryList*> lists;
    for (const auto& layout : TuningLayout(Family::Tercel))
        for (const EntryList* list : SectionLists(layout.sections)) lists.push_back(list);
    WriteRecords(out, Tercel::TercelController().ExportRecords(lists));
}

bool CheckDataRecords(const std::filesystem::path& file) {
    const IniDocument document = LoadIniFile(file);
    for (const auto& key : document.GetKeys("data", kRecordBuffer)) {
        const std::string hex = DecryptPayload(document.GetString("data", key, "", kRecordBuffer));
        std::string why;
        if (hex.empty())
            why = "it does not decipher";
        else if (!TryFromHex(hex))
            why = "its text is not hex";
        if (why.empty()) continue;
        Log("Data record " + key + " is damaged: " + why);
        Warn("The file is damaged and was not loaded:\n" + text::PathToUtf8(file));
        return false;
    }
    return true;
}

bool ImportFjProfile(const std::filesystem::path& file) {
    using namespace FJ;
    return ImportProfileSections(file, {{"Tuning",
                                         {&List(kSpeedTuningList), &List(kAcceleratorTuningList),
                                          &List(kTorqueTuningList), &List(kHillTuningList)}},
                                        {"Sink", {&List(kKitchenSinkList)}}});
}

bool ImportTercelProfile(const std::filesystem::path& file) {
    return ImportProfileSections(file,
                                 {{"Tuning", SectionLists(TabSections(Family::Tercel, TuningTab::Tuning))},
                                  {"Sink", SectionLists(TabSections(Family::Tercel, TuningTab::Sink))}});
}

bool LoadDataFile(const DataFileContext& context) {
    const auto chosen = CurrentPrompter().ChooseOpenFile(DialogRequest("Open Vantrel Data"));
    if (!chosen) return false;
    const std::filesystem::path& file = *chosen;
    const std::string path = text::PathToUtf8(file);
    const IniDocument document = LoadIniFile(file);

    const std::string controllerType = document.GetString("File", "ControllerType", "", kFileValueBuffer);
    Log("Controller Type: " + controllerType);
    if (context.family == Family::None) {
        Log("ERROR: Unknown Controller");
        return false;
    }
    const std::string familyName = FamilyName(context.family);
    if (!text::EqualsNoCase(controllerType, familyName)) {
        Log("Incorrect Controller Type: " + controllerType);
        Warn("Incorrect Controller Type: " + controllerType);
        return false;
    }
    const std::string fileType = document.GetString("File", "Type", "", kFileValueBuffer);
    Log("File Type: " + fileType);

    if (text::EqualsNoCase(fileType, "Backup")) {
        bool loaded = false;
        switch (context.family) {
            case Family::EV48400C:
                // Each group stands alone: one whose frame fails stays as it was.
                loaded = EV48400C::ImportBackup(file);
                break;
            case Family::FJ:
                loaded = CheckDataRecords(file) && FJ::FJController().ImportDataFile(path);
                break;
            case Family::Tercel:
                loaded = CheckDataRecords(file) && Tercel::TercelController().LoadBackup(file);
                break;
            case Family::None:
                break;
        }
        if (loaded) SetStatus(text::Utf8ToWide("Loaded " + familyName + " Backup: " + path));
        return loaded;
    }
    if (text::EqualsNoCase(fileType, "Profile")) {
        switch (context.family) {
            case Family::EV48400C:
                EV48400C::ImportProfile(file);
                break;
            case Family::FJ:
                ImportFjProfile(file);
                break;
            case Family::Tercel:
                ImportTercelProfile(file);
                break;
            case Family::None:
                break;
        }
        SetStatus(text::Utf8ToWide("Loaded " + familyName + " Profile: " + path));
        return true;
    }
    Log("Unknown file type: " + fileType);
    Warn("Unknown file type: " + fileType);
    SetStatus(text::Utf8ToWide("ERROR Loading Unknown File: " + path));
    return false;
}

}  // namespace datafiles
