// What the tuning page decides: which list is shown, the rows and their looks, the in-place edit
// session, and Load, Save, Reset and Write with their warnings. The page only draws and forwards;
// tests drive this with a fake view and a fake prompter.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/family.h"
#include "datafiles/tuning_layout.h"
#include "session/tuning_edit.h"
#include "session/tuning_rows.h"

namespace app {

// The rows, cells and edit commit the page shares with the command line.
using session::CellsOf;
using session::CurrentText;
using session::EditOutcome;
using session::EditResult;
using session::IsEditableTab;
using session::kHeadingRowTag;
using session::kReadOnlyRowTag;
using session::kRefusalText;
using session::kRefusalTitle;
using session::kTuningColumns;
using session::RowCells;
using session::RowRegistry;
using session::TabIndex;
using session::TuningRow;

inline constexpr int kIdTabTuning = 1400;
inline constexpr int kIdTabInfo = 1402;
inline constexpr int kIdTabStats = 1403;
inline constexpr int kIdTabSink = 1404;
inline constexpr int kIdLoad = 1405;
inline constexpr int kIdSave = 1406;
inline constexpr int kIdReset = 1407;
inline constexpr int kIdWrite = 1408;

inline constexpr int kChangeToColumn = 2;
// Most characters an edit commits.
inline constexpr size_t kMaxEditLength = 256;

// Colour references of the custom-drawn cells (blue in the high byte).
inline constexpr uint32_t kHeadingBackground = 0xF3C999;
inline constexpr uint32_t kReadOnlyBackground = 0xF0F0F0;
inline constexpr uint32_t kChangedBackground = 0x80FFFF;

inline constexpr std::wstring_view kWarningTitle = L"Warning";
inline constexpr std::wstring_view kLoadWarning =
    L"After Loading Backups and/or Profiles\n You Must Verify Modified Parameters before Writing.\n\n"
    L"Do you want to continue?";
inline constexpr std::wstring_view kLoadUnwrittenWarning =
    L"You have changes that have not been written to the controller\n\nDo you want to continue and "
    L"potentially lose those changes?";
inline constexpr std::wstring_view kSaveUnwrittenWarning =
    L"You have changes that have not been written to the controller.\n\nIf you continue you will save "
    L"data that is not on the controller.";
inline constexpr std::wstring_view kResetUnwrittenWarning =
    L"You have changes that have not been written to the controller\n\nDo you want to continue and lose "
    L"those changes?";
inline constexpr std::wstring_view kWriteWarning =
    L"This will write pending changes to the controller.\n\nDo you want to continue?";
inline constexpr std::wstring_view kNothingToWrite = L"No changes to write!";
// Followed by the labels of the values the controller did not confirm, one a line.
inline constexpr std::wstring_view kNotConfirmed = L"The controller did not confirm:";

// What the model asks of the page's controls and of the main window.
class TuningView {
public:
    virtual ~TuningView() = default;
    // Shows the tab's list and hides the other three.
    virtual void ShowList(datafiles::TuningTab tab) = 0;
    // Empties the tab's list and fills it again from the model's rows.
    virtual void FillList(datafiles::TuningTab tab) = 0;
    // The texts of one row changed.
    virtual void UpdateRow(datafiles::TuningTab tab, size_t row) = 0;
    // An edit box over the cell, filled with the text, focused, with all of it selected.
    virtual void OpenEditor(datafiles::TuningTab tab, size_t row, int column, const std::wstring& text) = 0;
    virtual void CloseEditor() = 0;
    // Posted to the main window, which hands it back through OnAppEvent.
    virtual void PostEvent(uint32_t event) = 0;
    // The wait cursor with every pending message dispatched, and back.
    virtual void BeginWait() = 0;
    virtual void EndWait() = 0;
};

struct ShownRow {
    int32_t tag = kHeadingRowTag;
    RowCells cells;  // a heading row has only its label
    const ParamEntry* entry = nullptr;

    bool IsHeading() const { return tag == kHeadingRowTag; }
};

enum class CellLook { Plain, Heading, ReadOnly, Changed };

class TuningModel {
public:
    static constexpr std::array<datafiles::TuningTab, 4> kTabs = {
        datafiles::TuningTab::Tuning, datafiles::TuningTab::Stats, datafiles::TuningTab::Info,
        datafiles::TuningTab::Sink};

    // Backups go into a folder beside the program.
    explicit TuningModel(std::filesystem::path executableDirectory)
        : executableDirectory_(std::move(executableDirectory)) {}

    void AttachView(TuningView* view) { view_ = view; }

    // After the controls are made: the family's status text, the lists, and the "Tuning" list shown.
    void OnControlsCreated();
    // The picture of the connected family, 0 for none.
    int PictureId() const;
    std::wstring StatusText() const;

    // Tabs and buttons. True when the command is the page's.
    bool OnCommand(int commandId);
    void OnAppEvent(uint32_t event);

    void RebuildLists();
    void RefreshValues(datafiles::TuningTab tab);
    void SelectTab(datafiles::TuningTab tab);
    datafiles::TuningTab CurrentTab() const { return currentTab_; }
    Family CurrentFamily() const { return family_; }

    const std::vector<ShownRow>& Rows(datafiles::TuningTab tab) const;
    CellLook LookOf(datafiles::TuningTab tab, size_t row, int column) const;

    // A double click on a cell: true when an editor opened.
    bool BeginEdit(datafiles::TuningTab tab, int row, int column);
    // Enter or the box losing focus.
    void CommitEdit(const std::wstring& typed);
    // Escape.
    void CancelEdit();
    bool Editing() const { return editRow_ >= 0; }
    int EditRow() const { return editRow_; }
    int EditColumn() const { return editColumn_; }

    void Load();
    void Save();
    void Reset();
    void Write();

private:
    std::vector<ShownRow>& RowsOf(datafiles::TuningTab tab);
    static RowCells ShownCells(const ParamEntry& entry);
    void ShowUnreadStatus() const;
    void EndEdit();
    // The lists still point into entries that a read or an import may have replaced: nothing reads
    // or edits through them until the rebuild comes.
    void ExpectRebuild();

    std::filesystem::path executableDirectory_;
    TuningView* view_ = nullptr;
    Family family_ = Family::None;
    RowRegistry registry_;
    std::array<std::vector<ShownRow>, 4> rows_;
    datafiles::TuningTab currentTab_ = datafiles::TuningTab::Tuning;
    bool stale_ = false;
    // What the rebuild that follows a Reset puts on the status line: the values that did not answer.
    std::wstring statusAfterRebuild_;

    datafiles::TuningTab editTab_ = datafiles::TuningTab::Tuning;
    int editRow_ = -1;
    int editColumn_ = -1;
    std::wstring openedWith_;
    bool committing_ = false;
};

}  // namespace app
