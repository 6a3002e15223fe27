// The rows of the faults page's two lists, per family: the page shows them and the command line
// prints them, with the same columns.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/family.h"

namespace session {

struct FaultColumn {
    std::wstring title;
    int width;
};

struct FaultTable {
    std::vector<FaultColumn> columns;
    std::vector<std::vector<std::wstring>> rows;  // one text per column
};

struct FaultRows {
    FaultTable current;
    FaultTable historical;
    std::vector<std::wstring> legend;  // what the fault levels mean, one line each; empty when none
    // What keeps the descriptions from being shown, with what to do, on one line; empty when nothing does.
    std::wstring notice;
};

// The description of an FJ fault code (the error-code file's first text column); empty when unknown.
using FaultDescriber = std::function<std::string(int32_t code)>;

// EV48-400-C: the fault-list entries whose value is exactly "1". FJ: the records whose level is not 0,
// numbered by their table position, with the legend of its levels, and a notice while the maker's
// error-code file is not beside the program. Tercel: its columns and no rows. None: no columns.
// An empty describer gives the family's own descriptions (FJ: its error-code file beside the program).
FaultRows BuildFaultRows(Family family, const FaultDescriber& describe = {});

}  // namespace session
