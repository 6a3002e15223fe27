#include "app/cards/tuning_model.h"

#include "app/app_ids.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/prompter.h"
#include "datafiles/data_file.h"
#include "session/family_table.h"
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

void TuningModel::RebuildLists() {
    // Row numbers are about to change under an open editor.
    EndEdit();
    family_ = ConnectedFamily();
    registry_.Rebuild(family_);
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
                line.cells = CellsOf(*row.entry);
            }
            shown.push_back(std::move(line));
        }
        if (view_) view_->FillList(tab);
    }
}

// Dependent values changed in the model, not on the controller: they are pending like the edit
// that caused them, so they go where the pending values are shown.
void TuningModel::RefreshValues(TuningTab tab) {
    if (stale_) return;
    auto& shown = RowsOf(tab);
    for (size_t i = 0; i < shown.size(); ++i) {
        ShownRow& row = shown[i];
        if (row.tag < 0 || !row.entry) continue;
        std::wstring value = CurrentText(*row.entry);
        if (value == row.cells.changeTo) continue;
        row.cells.changeTo = std::move(value);
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
    if (!registry_.EditableEntry(line.tag)) return false;
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
            CurrentPrompter().ShowMessage(std::wstring(kRefusalText), std::wstring(kRefusalTitle),
                                          MessageIcon::Error);
        } else if (result.outcome == EditOutcome::Stored) {
            line.cells.changeTo = text;
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
    datafiles::DataFileContext context;
    context.part = session::Ops(ConnectedFamily()).dataFile;
    context.executableDirectory = executableDirectory_;
    datafiles::SaveBackup(context);
}

void TuningModel::Reset() {
    EndEdit();
    if (HasUnwrittenChanges() && !Confirmed(kResetUnwrittenWarning)) return;
    if (view_) view_->BeginWait();
    session::ReadEverything(ConnectedFamily());
    if (view_) view_->EndWait();
    ExpectRebuild();
}

void TuningModel::Write() {
    EndEdit();
    if (!HasUnwrittenChanges()) {
        CurrentPrompter().ShowMessage(std::wstring(kNothingToWrite), L"Info", MessageIcon::Information);
        return;
    }
    if (!Confirmed(kWriteWarning)) return;
    if (view_) view_->BeginWait();
    session::WritePendingChanges(ConnectedFamily());
    if (view_) view_->EndWait();
    ExpectRebuild();
}

}  // namespace app
