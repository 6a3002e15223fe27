#include "app/cards/tuning_model.h"

#include "app/app_ids.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/prompter.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "session/family_table.h"
#include "session/read_values.h"
#include "session/safety_backup.h"
#include "session/session.h"
#include "session/tuning_actions.h"

namespace app {

namespace {

using datafiles::TuningTab;
using session::ConnectedFamily;

bool Confirmed(std::wstring_view text) {
    return CurrentPrompter().Confirm(std::wstring(text), std::wstring(kWarningTitle));
}

bool HasUnwrittenChanges() {
    return !DirtyKeys().empty();
}

}  // namespace

std::wstring TuningModel::StatusText() const {
    return session::Ops(ConnectedFamily()).banner().statusText;
}

int TuningModel::PictureId() const {
    return session::Ops(ConnectedFamily()).banner().pictureId;
}

void TuningModel::OnControlsCreated() {
    RebuildLists();
    SelectTab(TuningTab::Tuning);
    const std::wstring status = StatusText();
    if (!status.empty()) SetStatus(status);
    ShowUnreadStatus();
}

// Values the controller did not give are shown empty; the status line says how many and what to do.
void TuningModel::ShowUnreadStatus() const {
    const std::wstring unread = session::UnreadStatusText(session::ReadState(family_));
    if (!unread.empty()) SetStatus(unread);
}

bool TuningModel::OnCommand(int commandId) {
    switch (commandId) {
        case kIdTabTuning:
            SelectTab(TuningTab::Tuning);
            return true;
        case kIdTabInfo:
            SelectTab(TuningTab::Info);
            return true;
        case kIdTabStats:
            SelectTab(TuningTab::Stats);
            return true;
        case kIdTabSink:
            SelectTab(TuningTab::Sink);
            return true;
        case kIdLoad:
            Load();
            return true;
        case kIdSave:
            Save();
            return true;
        case kIdReset:
            Reset();
            return true;
        case kIdWrite:
            Write();
            return true;
        default:
            return false;
    }
}

void TuningModel::OnAppEvent(uint32_t event) {
    if (event == kEventRebuildTuningLists) {
        RebuildLists();
    } else if (event == kEventRefreshTuningValues) {
        RefreshValues(TuningTab::Tuning);
        RefreshValues(TuningTab::Sink);
    }
}

std::vector<ShownRow>& TuningModel::RowsOf(TuningTab tab) {
    return rows_[TabIndex(tab)];
}

const std::vector<ShownRow>& TuningModel::Rows(TuningTab tab) const {
    return rows_[TabIndex(tab)];
}

// "Current Value" is what the controller gave in this connection, "Change To" what the model holds,
// pending edits included; an entry the controller did not give shows no value of its own, only one a
// load has put there to be written.
RowCells TuningModel::ShownCells(const ParamEntry& entry) {
    RowCells cells = CellsOf(entry);
    const auto read = session::LastRead().Of(entry.key);
    cells.current = read.value_or(std::wstring());
    if (!read && !DirtyKeys().count(entry.key)) cells.changeTo.clear();
    return cells;
}

void TuningModel::RebuildLists() {
    // Row numbers are about to change under an open editor.
    EndEdit();
    family_ = ConnectedFamily();
    registry_.Rebuild(family_);
    const bool wasStale = stale_;
    stale_ = false;
    for (const TuningTab tab : kTabs) {
        auto& shown = RowsOf(tab);
        shown.clear();
        for (const TuningRow& row : registry_.Rows(tab)) {
            ShownRow line;
            line.tag = row.tag;
            line.entry = row.entry;
            if (row.IsHeading()) {
                line.cells.label = row.heading;
            } else {
                line.cells = ShownCells(*row.entry);
            }
            shown.push_back(std::move(line));
        }
        if (view_) view_->FillList(tab);
    }
    // After a read or a write the status line says what could not be read; after Reset that includes
    // what did not answer again and kept the value last read.
    std::wstring afterRead;
    afterRead.swap(statusAfterRebuild_);
    if (!wasStale) return;
    if (afterRead.empty())
        ShowUnreadStatus();
    else
        SetStatus(afterRead);
}

// Dependent values changed in the model, not on the controller: they are pending like the edit
// that caused them, so they go where the pending values are shown.
void TuningModel::RefreshValues(TuningTab tab) {
    if (stale_) return;
    auto& shown = RowsOf(tab);
    for (size_t i = 0; i < shown.size(); ++i) {
        ShownRow& row = shown[i];
        if (row.tag < 0 || !row.entry) continue;
        // A limit may follow another value (the motor's maximum speed bounds the gear speeds).
        RowCells cells = ShownCells(*row.entry);
        if (cells.changeTo == row.cells.changeTo && cells.max == row.cells.max) continue;
        row.cells.changeTo = std::move(cells.changeTo);
        row.cells.max = std::move(cells.max);
        if (view_) view_->UpdateRow(tab, i);
    }
}

void TuningModel::SelectTab(TuningTab tab) {
    currentTab_ = tab;
    if (view_) view_->ShowList(tab);
}

CellLook TuningModel::LookOf(TuningTab tab, size_t row, int column) const {
    const auto& shown = Rows(tab);
    if (row >= shown.size()) return CellLook::Plain;
    const ShownRow& line = shown[row];
    if (line.IsHeading()) return CellLook::Heading;
    if (line.tag == kReadOnlyRowTag) return CellLook::ReadOnly;
    if (column == kChangeToColumn && line.cells.changeTo != line.cells.current) return CellLook::Changed;
    return CellLook::Plain;
}

bool TuningModel::BeginEdit(TuningTab tab, int row, int column) {
    if (Editing() || committing_ || stale_) return false;
    if (tab != currentTab_ || !IsEditableTab(tab) || column != kChangeToColumn || row < 0) return false;
    const auto& shown = Rows(tab);
    if (static_cast<size_t>(row) >= shown.size()) return false;
    const ShownRow& line = shown[static_cast<size_t>(row)];
    const ParamEntry* entry = registry_.EditableEntry(line.tag);
    // A value the controller did not give in this connection is not edited: there is nothing to
    // change from.
    if (!entry || !session::LastRead().Has(entry->key)) return false;
    editTab_ = tab;
    editRow_ = row;
    editColumn_ = column;
    openedWith_ = line.cells.changeTo;
    if (view_) view_->OpenEditor(tab, static_cast<size_t>(row), column, openedWith_);
    return true;
}

void TuningModel::CommitEdit(const std::wstring& typed) {
    // The refusal box takes the focus from the editor, which commits again: that one must not run.
    if (committing_ || !Editing()) return;
    committing_ = true;
    ShownRow& line = RowsOf(editTab_)[static_cast<size_t>(editRow_)];
    const ParamEntry* entry = registry_.EditableEntry(line.tag);
    if (entry && !stale_) {
        const std::wstring text = typed.substr(0, kMaxEditLength);
        const EditResult result = session::CommitEdit(family_, *entry, text, openedWith_);
        if (result.outcome == EditOutcome::Refused) {
            CurrentPrompter().ShowMessage(
                result.message.empty() ? std::wstring(kRefusalText) : result.message,
                std::wstring(kRefusalTitle), MessageIcon::Error);
        } else if (result.outcome == EditOutcome::Stored) {
            // What the entry now holds: an option's name for its index, or what a rule made of the value.
            line.cells.changeTo = CurrentText(*entry);
            if (view_) view_->UpdateRow(editTab_, static_cast<size_t>(editRow_));
            if (result.refreshDependents && view_) view_->PostEvent(kEventRefreshTuningValues);
        }
    }
    EndEdit();
    committing_ = false;
}

void TuningModel::CancelEdit() {
    if (committing_) return;
    EndEdit();
}

void TuningModel::EndEdit() {
    if (!Editing()) return;
    editRow_ = -1;
    editColumn_ = -1;
    openedWith_.clear();
    if (view_) view_->CloseEditor();
}

void TuningModel::ExpectRebuild() {
    stale_ = true;
    if (view_) view_->PostEvent(kEventRebuildTuningLists);
}

void TuningModel::Load() {
    EndEdit();
    if (!Confirmed(kLoadWarning)) return;
    if (HasUnwrittenChanges() && !Confirmed(kLoadUnwrittenWarning)) return;
    datafiles::DataFileContext context;
    context.part = session::Ops(ConnectedFamily()).dataFile;
    context.executableDirectory = executableDirectory_;
    if (datafiles::LoadDataFile(context)) ExpectRebuild();
}

void TuningModel::Save() {
    EndEdit();
    if (HasUnwrittenChanges() && !Confirmed(kSaveUnwrittenWarning)) return;
    const std::wstring refusal = session::BackupRefusalText(ConnectedFamily());
    if (!refusal.empty()) {
        CurrentPrompter().ShowMessage(refusal, std::wstring(kWarningTitle), MessageIcon::Warning);
        return;
    }
    datafiles::DataFileContext context;
    context.part = session::Ops(ConnectedFamily()).dataFile;
    context.executableDirectory = executableDirectory_;
    datafiles::SaveBackup(context);
}

void TuningModel::Reset() {
    EndEdit();
    if (HasUnwrittenChanges() && !Confirmed(kResetUnwrittenWarning)) return;
    if (!session::EnsurePortOpen()) {
        CurrentPrompter().ShowMessage(text::Utf8ToWide(session::kPortLostText), L"Error", MessageIcon::Error);
        return;
    }
    if (view_) view_->BeginWait();
    const session::ReadOutcome outcome = session::ReadEverything(ConnectedFamily());
    if (view_) view_->EndWait();
    if (!outcome.portOpen) return;
    // Named now: the entries of the outcome may be replaced before the rebuild comes.
    statusAfterRebuild_ = session::UnreadStatusText(outcome);
    ExpectRebuild();
}

void TuningModel::Write() {
    EndEdit();
    if (!HasUnwrittenChanges()) {
        CurrentPrompter().ShowMessage(std::wstring(kNothingToWrite), L"Info", MessageIcon::Information);
        return;
    }
    if (!Confirmed(kWriteWarning)) return;
    if (!session::EnsurePortOpen()) {
        CurrentPrompter().ShowMessage(text::Utf8ToWide(session::kPortLostText), L"Error", MessageIcon::Error);
        return;
    }
    // What the controller holds now, saved first so that the write can be undone from a file.
    const session::SafetyBackup backup = session::SaveSafetyBackup(ConnectedFamily(), executableDirectory_);
    if (!backup.Saved() && !session::WriteWithoutSafetyBackup(backup)) return;
    if (view_) view_->BeginWait();
    const WriteOutcome outcome = session::WritePendingChanges(ConnectedFamily());
    if (view_) view_->EndWait();
    ExpectRebuild();
    if (outcome.AllConfirmed()) return;
    std::wstring names;
    for (const std::wstring& key : outcome.notConfirmed) {
        const ParamEntry* entry = session::FindEntry(family_, key);
        names += L"\n" + (entry ? entry->label : key);
    }
    const std::wstring text = std::wstring(kNotConfirmed) + names;
    SetStatus(L"Not written: the controller did not confirm " + std::to_wstring(outcome.notConfirmed.size()) +
              (outcome.notConfirmed.size() == 1 ? L" value" : L" values"));
    CurrentPrompter().ShowMessage(text, L"Error", MessageIcon::Error);
}

}  // namespace app
