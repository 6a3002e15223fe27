#include "session/tuning_actions.h"

#include <algorithm>

#include "core/log.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "serial/serial_port.h"
#include "session/family_table.h"
#include "session/read_values.h"
#include "session/safety_backup.h"

namespace session {

bool EnsurePortOpen() {
    SerialPort& port = SerialPort::Instance();
    if (port.IsOpen() || port.Reopen()) return true;
    SetStatus(kPortLostText);
    return false;
}

ReadOutcome ReadState(Family family) {
    ReadOutcome outcome;
    outcome.unread = LastRead().Unread(family);
    outcome.unreadGroups = Ops(family).unreadGroups();
    return outcome;
}

ReadOutcome ReadEverything(Family family) {
    if (!EnsurePortOpen()) {
        ReadOutcome outcome = ReadState(family);
        outcome.portOpen = false;
        return outcome;
    }
    RestoreLastRead(family);
    DirtyKeys().clear();
    const FamilyOps& ops = Ops(family);
    ops.forgetReads();
    ops.readAll();
    LastRead().Take(family);
    KeepControllerValues(family);
    ReadOutcome outcome = ReadState(family);
    for (const ParamEntry* entry : LastRead().Entries(family))
        if (LastRead().Has(entry->key) && !ops.entryWasRead(*entry)) outcome.notReadAgain.push_back(entry);
    return outcome;
}

WriteOutcome WritePendingChanges(Family family) {
    if (!EnsurePortOpen()) {
        WriteOutcome outcome;
        outcome.notConfirmed.assign(DirtyKeys().begin(), DirtyKeys().end());
        return outcome;
    }
    WriteOutcome outcome = Ops(family).writeChanges();
    LastRead().TakeConfirmed(family, outcome.confirmed);
    // A value the controller did not confirm may or may not have been taken.
    if (outcome.AllConfirmed())
        KeepControllerValues(family);
    else
        LastRead().DropBackupPart(
            "the controller did not confirm every value of the last write, so what it holds is not "
            "known: read it again (Reset)");
    // Only what the controller confirmed is done; the rest stays for the page to show and the next
    // write to send.
    DirtyKeys().clear();
    DirtyKeys().insert(outcome.notConfirmed.begin(), outcome.notConfirmed.end());
    return outcome;
}

std::wstring BackupRefusalText(Family family) {
    const ReadOutcome state = ReadState(family);
    const size_t count = state.unread.size() + state.unreadGroups.size();
    if (count == 0) return {};
    return L"The backup was not saved: " + std::to_wstring(count) +
           (count == 1 ? L" value was" : L" values were") +
           L" not read from the controller.\n\nPress Reset to read them again, then save.";
}

std::wstring UnreadStatusText(const ReadOutcome& outcome) {
    if (!outcome.portOpen) return text::Utf8ToWide(kPortLostText);
    const size_t count = outcome.unread.size() + outcome.unreadGroups.size() + outcome.notReadAgain.size();
    if (count == 0) return {};
    return std::to_wstring(count) + (count == 1 ? L" value" : L" values") +
           L" could not be read: press Reset to read them again";
}

}  // namespace session
