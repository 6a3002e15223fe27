// Helpers for the Tercel tests: frames built here by hand, and the family's entries by list and key.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/tuning_layout.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tests/support/entries.h"

namespace terceltest {

using Frame = std::vector<uint8_t>;

// A 39-byte identity answer: protocol version 3, firmware 2.7, the given status and description.
inline Frame IdentityFrame(const std::string& description, uint8_t status = 0x00) {
    Frame frame(39, 0);
    frame[0] = 0x2B;
    frame[1] = status;
    frame[2] = 3;
    frame[5] = 2;
    frame[6] = 7;
    for (size_t i = 0; i < description.size() && 13 + i < frame.size(); ++i)
        frame[13 + i] = static_cast<uint8_t>(description[i]);
    return frame;
}

// The lists of the tuning page, in its order (read-only ones included).
inline std::vector<const EntryList*> TuningPageLists() {
    std::vector<const EntryList*> lists;
    for (const auto& tab : datafiles::TercelLayout())
        for (const EntryList* list : datafiles::SectionLists(tab.sections)) lists.push_back(list);
    return lists;
}

using testsupport::Entry;
using testsupport::Set;
using testsupport::Shown;

}  // namespace terceltest
