// The controller operations behind the tuning page's Reset and Write buttons. The page adds its
// warnings and wait cursor; the command line calls them directly.
#pragma once

#include <string>
#include <vector>

#include "core/controller_interface.h"
#include "core/family.h"
#include "core/param_entry.h"

namespace session {

// Shown by the page and the command line when the line took the port away for good.
inline constexpr const char* kPortLostText =
    "The COM port is closed and could not be opened again: check the cable";

struct ReadOutcome {
    bool portOpen = true;                   // false: nothing was sent, the port could not be opened
    std::vector<const ParamEntry*> unread;  // entries without a value read in this connection
    std::vector<std::string> unreadGroups;  // groups the controller has not given in this connection
    // Entries read before in this connection that did not answer this read: they keep the value
    // last read.
    std::vector<const ParamEntry*> notReadAgain;

    // The values never given in this connection: entries, and groups counted as one each.
    size_t NeverRead() const { return unread.size() + unreadGroups.size(); }
    bool AllRead() const {
        return portOpen && unread.empty() && unreadGroups.empty() && notReadAgain.empty();
    }
};

// What the controller has not given in this connection, as it stands.
ReadOutcome ReadState(Family family);

// The port of the connection, opened again once when the line took it away. False, with the status
// saying so, when it stays closed.
bool EnsurePortOpen();

// Discards the pending edits by putting back the values last read from the controller, then reads
// every group again. Entries that do not answer keep the value last read.
ReadOutcome ReadEverything(Family family);

// Writes the pending changes the family's way. The confirmed keys leave DirtyKeys and hold what was
// written as the controller's value; the others stay changed. Nothing is sent when the port cannot be
// opened (every key is then not confirmed).
WriteOutcome WritePendingChanges(Family family);

// "5 values could not be read: press Reset to read them again (A, B, C and 2 more)": the first three
// named by their labels (a group that did not answer counts as one, by its name); empty when all were
// read.
std::wstring UnreadStatusText(const ReadOutcome& outcome);

// A backup is the way back to a vehicle's settings: it is saved only when the controller gave every
// value it holds. The refusal's text while some are missing; empty when a backup may be saved.
std::wstring BackupRefusalText(Family family);

}  // namespace session
