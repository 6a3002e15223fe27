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

namespace {

// The status line names this many of the values that could not be read, then counts the rest.
constexpr size_t kNamedUnread = 3;

}  // namespace

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
    const size_t count = state.NeverRead();
    if (count == 0) return {};
    return L"The backup was not saved: " + std::to_wstring(count) +
           (count == 1 ? L" value was" : L" values were") +
           L" not read from the controller.\n\nPress Reset to read " + (count == 1 ? L"it" : L"them") +
           L" again, then save.";
}

std::wstring UnreadStatusText(const ReadOutcome& outcome) {
    if (!outcome.portOpen) return text::Utf8ToWide(kPortLostText);
    std::vector<std::wstring> names;
    const auto name = [](const ParamEntry* entry) {
        return entry->label.empty() ? entry->key : entry->label;
    };
    for (const ParamEntry* entry : outcome.unread) names.push_back(name(entry));
    for (const std::string& group : outcome.unreadGroups) names.push_back(text::Utf8ToWide(group));
    for (const ParamEntry* entry : outcome.notReadAgain) names.push_back(name(entry));
    const size_t count = names.size();
    if (count == 0) return {};
    std::wstring status = std::to_wstring(count) + (count == 1 ? L" value" : L" values") +
                          L" could not be read: press Reset to read " + (count == 1 ? L"it" : L"them") +
                          L" again (";
    const size_t named = std::min(count, kNamedUnread);
    for (size_t i = 0; i < named; ++i) status += (i == 0 ? L"" : L", ") + names[i];
    if (count > named) status += L" and " + std::to_wstring(count - named) + L" more";
    return status + L")";
}

}  // namespace session
