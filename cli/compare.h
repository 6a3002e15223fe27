// Two sets of values compared entry by entry, as the tuning page groups them: a backup or profile
// taken into its family's model, or what a controller gave in this connection. diff prints the
// differences, report marks them beside the controller's values.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "core/family.h"

namespace cli {

// One entry of one side. Only the entries a data file can hold are compared: the settings of the
// Tuning and Sink tabs.
struct SideEntry {
    std::string key;
    std::string tab;
    std::string section;
    std::string label;
    std::string unit;
    std::optional<std::string> value;  // none: the controller did not give it
    size_t tabIndex = 0;
    size_t sectionIndex = 0;
};

struct Side {
    std::string name;  // the file as given, or "FJ controller on <port>"
    std::vector<SideEntry> entries;
};

struct Difference {
    std::string key;
    std::string tab;
    std::string section;
    std::string label;
    std::string unit;
    bool onLeft = false;  // the side holds the entry at all
    bool onRight = false;
    std::optional<std::string> left;  // none when the side lacks the entry or could not read it
    std::optional<std::string> right;
};

// What a data file says of itself, checked before anything is taken into a model.
struct DataFileKind {
    Family family = Family::None;
    bool profile = false;
};

// The family and type of the file; on a refusal the exit status, after one error line.
int ReadDataFileKind(const std::filesystem::path& file, CommandIo& io, DataFileKind& kind);

// The controller's values of this connection, with the entries it did not give as unread.
Side ControllerSide(Family family, const std::string& name);

// Takes the file into the family's model as load does (the record check first, a profile whole or
// not at all) over what the model holds, and gives its values: for a backup every setting shown
// afterwards, for a profile the settings its lines name. DirtyKeys is emptied first, so that it then
// holds what the file changed. On a refusal the exit status, after one error line.
int FileSide(const std::filesystem::path& file, const DataFileKind& kind, CommandIo& io, Side& side);

// The family's model back to "nothing read", with its lists published, for a file to be taken into
// without a controller.
void EmptyModel(Family family);

// Every entry whose value differs, or that one side lacks or could not read, in page order. The model
// must still hold the left side: a value whose shown text the model cannot work out without a
// controller (empty on both sides) differs when the left side's file changed it.
std::vector<Difference> Compare(const Side& left, const Side& right);

}  // namespace cli
