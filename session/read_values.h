// What the controller gave in this connection: the shown text of every entry as last read, by key.
// The pages show this as "Current Value" and the model's value (pending edits included) as "Change
// To"; an entry the controller never gave has no value here and is shown empty, never as a number.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/family.h"
#include "core/param_entry.h"

namespace session {

class ReadValues {
public:
    // After a read from the controller: every entry of the family's layout that the controller gave
    // takes its shown text; an entry that did not answer keeps what it had.
    void Take(Family family);
    // After a write: the keys the controller confirmed hold what was written.
    void TakeConfirmed(Family family, const std::vector<std::wstring>& keys);
    void Clear() {
        values_.clear();
        backupPart_.reset();
        whyNoBackupPart_ = kNothingReadYet;
    }
    // The family's part of a backup file, written while the model held exactly the controller's
    // values and every entry shown then had been read: after a read, or after a write the controller
    // confirmed whole. Kept until the next of those, whatever the pending edits show meanwhile.
    void KeepBackupPart(std::string part) {
        backupPart_ = std::move(part);
        whyNoBackupPart_.clear();
    }
    // No part to keep, and why, one line: some value not read, or a write not confirmed whole.
    void DropBackupPart(std::string why) {
        backupPart_.reset();
        whyNoBackupPart_ = std::move(why);
    }
    const std::optional<std::string>& BackupPart() const { return backupPart_; }
    const std::string& WhyNoBackupPart() const { return whyNoBackupPart_; }

    // The text last read for the key; none when the controller never gave it in this connection.
    std::optional<std::wstring> Of(const std::wstring& key) const;
    bool Has(const std::wstring& key) const { return values_.count(key) != 0; }
    // The entries of the family's layout without a value read in this connection, in page order.
    std::vector<const ParamEntry*> Unread(Family family) const;
    // Every entry of the family's layout once, in page order.
    static std::vector<const ParamEntry*> Entries(Family family);

private:
    std::map<std::wstring, std::wstring> values_;
    static constexpr const char* kNothingReadYet = "nothing was read from the controller in this connection";
    std::optional<std::string> backupPart_;
    std::string whyNoBackupPart_ = kNothingReadYet;
};

// The connection's values, emptied whenever the families are reset.
ReadValues& LastRead();

// Puts the values last read back into the model for every changed key, so that a discarded edit
// cannot pass for the controller's value; the keys stay as they are in DirtyKeys. False when a value
// could not be put back (its key is then left changed).
bool RestoreLastRead(Family family);

}  // namespace session
