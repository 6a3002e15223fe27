#include "cli/compare.h"

#include <algorithm>
#include <map>
#include <set>
#include <system_error>
#include <tuple>

#include "cli/cli_app.h"
#include "core/host.h"
#include "core/ini_file.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "session/family_table.h"
#include "session/read_values.h"
#include "session/session.h"
#include "session/tuning_rows.h"

namespace cli {

namespace {

using datafiles::TuningTab;

constexpr size_t kValueBuffer = 256;
constexpr size_t kSectionBuffer = 4096;

// What a side holds of one entry.
struct Held {
    bool held = false;
    std::optional<std::string> value;  // none: not read
};

// The settings of the page in order, each with what the side holds of it.
template <typename ValueOf>
std::vector<SideEntry> Settings(Family family, ValueOf valueOf) {
    session::RowRegistry registry;
    registry.Rebuild(family);
    std::vector<SideEntry> entries;
    std::set<std::wstring> seen;
    for (const TuningTab tab : {TuningTab::Tuning, TuningTab::Sink}) {
        std::string section;
        size_t sectionIndex = 0;
        for (const auto& row : registry.Rows(tab)) {
            if (row.IsHeading()) {
                section = text::WideToUtf8(row.heading);
                ++sectionIndex;
                continue;
            }
            const ParamEntry& entry = *row.entry;
            if (entry.readOnly || !seen.insert(entry.key).second) continue;
            Held held = valueOf(entry);
            if (!held.held) continue;
            entries.push_back({text::WideToUtf8(entry.key), text::WideToUtf8(session::TabTitle(tab)), section,
                               text::WideToUtf8(entry.label), text::WideToUtf8(entry.unit),
                               std::move(held.value), session::TabIndex(tab), sectionIndex});
        }
    }
    return entries;
}

// The labels a profile's lines name, blanks around them dropped as the reader drops them.
std::set<std::wstring> ProfileLabels(const std::filesystem::path& file, const datafiles::DataFilePart& part) {
    const IniDocument document = LoadIniFile(file);
    std::set<std::wstring> labels;
    for (const char* section : part.profileSections)
        for (const auto& line : document.GetSectionLines(section, kSectionBuffer)) {
            const size_t equals = line.find('=');
            if (equals == std::string::npos) continue;
            // Read as the profile reader reads it: UTF-8, so a label with a unit sign matches too.
            labels.insert(text::TrimBlanks(text::Utf8ToWide(line.substr(0, equals))));
        }
    return labels;
}

std::string Path(const std::filesystem::path& file) {
    return text::PathToUtf8(file);
}

}  // namespace

int ReadDataFileKind(const std::filesystem::path& file, CommandIo& io, DataFileKind& kind) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(file, error))
        return Fail(io, kExitRefused, "cannot read " + Path(file) + ": check the file name");
    if (const std::string tooLarge = datafiles::TooLargeProblem(file); !tooLarge.empty())
        return Fail(io, kExitRefused, Path(file) + ": " + tooLarge);
    const IniDocument document = LoadIniFile(file);
    const std::string controllerType = document.GetString("File", "ControllerType", "", kValueBuffer);
    const std::string fileType = document.GetString("File", "Type", "", kValueBuffer);
    const auto family = session::FamilyFromName(controllerType);
    if (!family)
        return Fail(io, kExitRefused,
                    "unknown controller type '" + controllerType + "' in " + Path(file) +
                        ": this is not a data file of this program");
    if (!text::EqualsNoCase(fileType, "Backup") && !text::EqualsNoCase(fileType, "Profile"))
        return Fail(
            io, kExitRefused,
            "unknown file type '" + fileType + "' in " + Path(file) + ": expected a backup or a profile");
    kind.family = *family;
    kind.profile = text::EqualsNoCase(fileType, "Profile");
    return kExitSuccess;
}

Side ControllerSide(Family family, const std::string& name) {
    return {name, Settings(family, [](const ParamEntry& entry) {
                const auto read = session::LastRead().Of(entry.key);
                return Held{true, read ? std::optional<std::string>(text::WideToUtf8(*read)) : std::nullopt};
            })};
}

void EmptyModel(Family family) {
    session::ResetFamilies();
    session::Ops(family).publishEntries();
}

int FileSide(const std::filesystem::path& file, const DataFileKind& kind, CommandIo& io, Side& side) {
    const session::FamilyOps& ops = session::Ops(kind.family);
    datafiles::DataFileContext context;
    context.part = ops.dataFile;
    std::error_code ignored;
    context.executableDirectory =
        host::ExecutableDirectory().value_or(std::filesystem::current_path(ignored));
    io.prompter.SetOpenFile(file);
    DirtyKeys().clear();
    if (!datafiles::LoadDataFile(context)) {
        std::string why = io.prompter.LastMessageText();
        if (why.empty()) why = "no record of it could be taken, the file may be damaged";
        io.prompter.DiscardMessages();
        return Fail(io, kExitRefused, Path(file) + " was not taken: " + why);
    }
    io.prompter.FlushMessages(Err(io));
    const std::set<std::wstring> named =
        kind.profile ? ProfileLabels(file, *ops.dataFile) : std::set<std::wstring>();
    side.name = Path(file);
    side.entries = Settings(kind.family, [&](const ParamEntry& entry) {
        if (kind.profile && !named.count(entry.label)) return Held{};
        return Held{true, text::WideToUtf8(session::CurrentText(entry))};
    });
    return kExitSuccess;
}

std::vector<Difference> Compare(const Side& left, const Side& right) {
    struct Place {
        const SideEntry* left = nullptr;
        const SideEntry* right = nullptr;
        std::tuple<size_t, size_t, int, size_t> order;
    };
    std::map<std::string, Place> places;
    for (size_t i = 0; i < left.entries.size(); ++i) {
        const SideEntry& entry = left.entries[i];
        Place& place = places[entry.key];
        place.left = &entry;
        place.order = {entry.tabIndex, entry.sectionIndex, 0, i};
    }
    for (size_t i = 0; i < right.entries.size(); ++i) {
        const SideEntry& entry = right.entries[i];
        Place& place = places[entry.key];
        place.right = &entry;
        // An entry on the right only follows the left side's rows of its section.
        if (!place.left) place.order = {entry.tabIndex, entry.sectionIndex, 1, i};
    }
    std::vector<const Place*> differing;
    for (const auto& [key, place] : places) {
        bool differs = !place.left || !place.right || !place.left->value || !place.right->value ||
                       *place.left->value != *place.right->value;
        // Equal only because neither side can show it: the file still changed the stored number.
        if (!differs && place.left->value->empty() && DirtyKeys().count(text::Utf8ToWide(key)))
            differs = true;
        if (differs) differing.push_back(&place);
    }
    std::sort(differing.begin(), differing.end(),
              [](const Place* a, const Place* b) { return a->order < b->order; });
    std::vector<Difference> differences;
    for (const Place* place : differing) {
        const SideEntry& shown = place->left ? *place->left : *place->right;
        Difference difference{shown.key,
                              shown.tab,
                              shown.section,
                              shown.label,
                              shown.unit,
                              place->left != nullptr,
                              place->right != nullptr,
                              {},
                              {}};
        if (place->left) difference.left = place->left->value;
        if (place->right) difference.right = place->right->value;
        differences.push_back(std::move(difference));
    }
    return differences;
}

}  // namespace cli
