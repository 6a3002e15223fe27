// The tuning page's model: which cells open an editor, what a commit leaves shown, and the warnings
// before a button acts. The rules of a commit itself are the session's (tests/session/pages_test.cpp).
#include "app/cards/tuning_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/app_ids.h"
#include "core/param_registry.h"
#include "core/text.h"
#include "fj/parameter_table.h"
#include "session/read_values.h"
#include "session/session.h"
#include "session/tuning_actions.h"
#include "tercel/family_state.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/temp_dir.h"

namespace {

using datafiles::TuningTab;
using testing::ElementsAre;
using testing::IsEmpty;

// The box that refuses an edit takes the focus from the editor, whose focus loss commits again.
struct RefocusingPrompter final : Prompter {
    explicit RefocusingPrompter(app::TuningModel& edited) : model(edited), previous(SetPrompter(this)) {}
    ~RefocusingPrompter() override { SetPrompter(previous); }
    void ShowMessage(const std::wstring&, const std::wstring&, MessageIcon) override {
        ++boxes;
        model.CommitEdit(L"70");
    }
    bool Confirm(const std::wstring&, const std::wstring&) override { return true; }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest&) override { return {}; }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest&) override { return {}; }
    void Pause(uint32_t) override {}

    app::TuningModel& model;
    Prompter* previous;
    int boxes = 0;
};

struct FakeView final : app::TuningView {
    void ShowList(TuningTab) override {}
    void FillList(TuningTab) override {}
    void UpdateRow(TuningTab, size_t) override {}
    void OpenEditor(TuningTab, size_t row, int, const std::wstring& text) override {
        calls.push_back("open " + std::to_string(row));
        editorText = text;
    }
    void CloseEditor() override { calls.push_back("close"); }
    void PostEvent(uint32_t event) override { events.push_back(event); }
    void BeginWait() override { calls.push_back("wait"); }
    void EndWait() override { calls.push_back("done"); }
    std::vector<std::string> calls;
    std::vector<uint32_t> events;
    std::wstring editorText;
};

struct Storage {
    uint8_t value = 50;
    int setterCalls = 0;
};

// One byte behind a 0..100 entry.
ParamEntry ByteEntry(Storage& storage, const wchar_t* key, bool readOnly = false) {
    ParamEntry entry;
    entry.key = entry.label = key;
    entry.owner = &storage;
    entry.kind = ParamKind::UInt8;
    entry.minValue = L"0";
    entry.maxValue = FixedMax(L"100");
    entry.readOnly = readOnly;
    entry.getter = [](void* owner) { return std::to_string(static_cast<Storage*>(owner)->value); };
    entry.setter = [](void* owner, const std::string& text) {
        ++static_cast<Storage*>(owner)->setterCalls;
        static_cast<Storage*>(owner)->value = static_cast<uint8_t>(std::stoi(text));
    };
    return entry;
}

class TuningModelTest : public testing::Test {
protected:
    TuningModelTest() {
        testsupport::ResetFamilies();
        session::Current() = session::Session{};
        model_.AttachView(&view_);
    }
    ~TuningModelTest() override {
        testsupport::ResetFamilies();
        session::Current() = session::Session{};
    }

    // FJ rows of "Tuning": a heading, the 0..100 entry (row 1), a read-only one (2), and one the
    // controller never gave (3); "Info" holds another editable entry.
    void UseFjRows() {
        session::Current().family = Family::FJ;
        auto& registry = ParamRegistry::Instance();
        registry.List(FJ::kSpeedTuningList) = {ByteEntry(storage_, L"limit"),
                                               ByteEntry(readOnly_, L"fixed", true)};
        registry.List(FJ::kControllerInfoList) = {ByteEntry(info_, L"info")};
        session::LastRead().Take(Family::FJ);
        registry.List(FJ::kSpeedTuningList).push_back(ByteEntry(unread_, L"unread"));
        model_.OnControlsCreated();
    }
    const app::RowCells& Cells(TuningTab tab, size_t row) const { return model_.Rows(tab).at(row).cells; }
    app::CellLook Look(size_t row) const {
        return model_.LookOf(TuningTab::Tuning, row, app::kChangeToColumn);
    }
    void Edit(size_t row, const std::wstring& typed) {
        ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, static_cast<int>(row), app::kChangeToColumn));
        model_.CommitEdit(typed);
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
    FakeView view_;
    app::TuningModel model_{dir_.Path()};
    Storage storage_, readOnly_, info_, unread_;
};

TEST_F(TuningModelTest, AStoredEditIsShownAsPendingAndARefusedOneChangesNothing) {
    UseFjRows();
    const struct {
        std::wstring typed;
        std::vector<std::wstring> boxes;  // none when the value is stored
        uint8_t stored;
    } cases[] = {
        {L"100", {}, 100},
        {L"100.5", {L"Invalid: Value out of range"}, 50},
        {L"abc", {L"Invalid: Not a number: abc"}, 50},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(text::WideToUtf8(c.typed));
        storage_.value = 50;
        DirtyKeys().clear();
        prompter_.messages.clear();
        model_.RebuildLists();
        Edit(1, c.typed);
        const bool stored = c.boxes.empty();
        EXPECT_FALSE(model_.Editing());
        EXPECT_EQ(view_.calls.back(), "close");
        EXPECT_EQ(storage_.value, c.stored);
        EXPECT_EQ(prompter_.messages, c.boxes);
        EXPECT_EQ(Cells(TuningTab::Tuning, 1).current, L"50");
        EXPECT_EQ(Cells(TuningTab::Tuning, 1).changeTo, stored ? c.typed : L"50");
        EXPECT_EQ(DirtyKeys().size(), stored ? 1u : 0u);
        EXPECT_EQ(Look(1), stored ? app::CellLook::Changed : app::CellLook::Plain);
    }
}

// Escape and the opening text change nothing. A pending value keeps its highlight when the lists are
// built again; typed back to the value read it loses the highlight but stays to be written, since the
// model was set.
TEST_F(TuningModelTest, PendingEditStaysMarkedUntilTypedBack) {
    UseFjRows();
    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    EXPECT_EQ(view_.editorText, L"50");
    model_.CancelEdit();
    Edit(1, L"50");
    EXPECT_EQ(storage_.setterCalls, 0);
    EXPECT_THAT(DirtyKeys(), IsEmpty());
    EXPECT_THAT(view_.calls, ElementsAre("open 1", "close", "open 1", "close"));

    Edit(1, L"60");
    model_.OnAppEvent(app::kEventRebuildTuningLists);
    EXPECT_EQ(Cells(TuningTab::Tuning, 1).current, L"50");
    EXPECT_EQ(Cells(TuningTab::Tuning, 1).changeTo, L"60");
    EXPECT_EQ(Look(1), app::CellLook::Changed);

    Edit(1, L"50");
    EXPECT_EQ(Look(1), app::CellLook::Plain);
    EXPECT_EQ(DirtyKeys(), DirtyKeySet{L"limit"});
    EXPECT_EQ(storage_.setterCalls, 2);
}

TEST_F(TuningModelTest, OnlyChangeToCellsOfReadEditableRowsOfTheShownListOpenAnEditor) {
    UseFjRows();
    // The value never read shows neither the model's number nor anything as the controller's.
    EXPECT_EQ(Cells(TuningTab::Tuning, 3).current, L"");
    EXPECT_EQ(Cells(TuningTab::Tuning, 3).changeTo, L"");
    EXPECT_EQ(model_.LookOf(TuningTab::Tuning, 0, 3), app::CellLook::Heading);
    EXPECT_EQ(Look(2), app::CellLook::ReadOnly);
    const struct {
        const char* what;
        TuningTab shown, tab;
        int row, column = app::kChangeToColumn;
    } cases[] = {
        {"the Info list", TuningTab::Info, TuningTab::Info, 1},
        {"a heading", TuningTab::Tuning, TuningTab::Tuning, 0},
        {"a read-only row", TuningTab::Tuning, TuningTab::Tuning, 2},
        {"a value never read", TuningTab::Tuning, TuningTab::Tuning, 3},
        {"the current value", TuningTab::Tuning, TuningTab::Tuning, 1, 1},
        {"a list not shown", TuningTab::Info, TuningTab::Tuning, 1},
        {"past the rows", TuningTab::Tuning, TuningTab::Tuning, 99},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model_.SelectTab(c.shown);
        EXPECT_FALSE(model_.BeginEdit(c.tab, c.row, c.column));
    }
    model_.SelectTab(TuningTab::Tuning);
    EXPECT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    EXPECT_FALSE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));  // one editor at a time
    model_.CancelEdit();
    // A value a load put there to be written is shown, marked, though the controller never gave one.
    DirtyKeys().insert(L"unread");
    model_.OnAppEvent(app::kEventRebuildTuningLists);
    EXPECT_EQ(Cells(TuningTab::Tuning, 3).changeTo, L"50");
    EXPECT_EQ(Look(3), app::CellLook::Changed);
}

TEST_F(TuningModelTest, ACommitInsideACommitDoesNothing) {
    UseFjRows();
    RefocusingPrompter refocusing(model_);
    Edit(1, L"700");
    EXPECT_EQ(refocusing.boxes, 1);
    EXPECT_FALSE(model_.Editing());
    model_.CommitEdit(L"70");  // the box is gone: a late focus loss finds nothing to commit
    EXPECT_EQ(storage_.setterCalls, 0);
}

// Nothing runs unless every question is answered yes and the port is there: no wait cursor, no
// rebuilt lists, and the changes kept.
TEST_F(TuningModelTest, ButtonsWarnBeforeTheyAct) {
    const std::wstring portLost = L"Error: " + text::Utf8ToWide(session::kPortLostText);
    const auto ask = [](std::wstring_view text) { return L"Warning? " + std::wstring(text); };
    const struct {
        const char* what;
        int command;
        bool dirty;
        bool answer;
        std::vector<std::wstring> shown;
    } cases[] = {
        {"write, nothing changed", app::kIdWrite, false, true, {L"Info: No changes to write!"}},
        {"write, cancelled", app::kIdWrite, true, false, {ask(app::kWriteWarning)}},
        {"write, the port lost", app::kIdWrite, true, true, {ask(app::kWriteWarning), portLost}},
        {"reset, the port lost", app::kIdReset, false, false, {portLost}},
        {"reset, cancelled", app::kIdReset, true, false, {ask(app::kResetUnwrittenWarning)}},
        {"save, no controller", app::kIdSave, false, false, {L"Warning: Controller Undefined - Cant Save"}},
        {"save, cancelled", app::kIdSave, true, false, {ask(app::kSaveUnwrittenWarning)}},
        {"load, cancelled", app::kIdLoad, true, false, {ask(app::kLoadWarning)}},
        // Only the file dialog opens, which the prompter cancels.
        {"load", app::kIdLoad, true, true, {ask(app::kLoadWarning), ask(app::kLoadUnwrittenWarning)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        DirtyKeys().clear();
        if (c.dirty) DirtyKeys().insert(L"limit");
        prompter_.messages.clear();
        prompter_.dialogs.clear();
        prompter_.confirmAnswer = c.answer;
        EXPECT_TRUE(model_.OnCommand(c.command));
        EXPECT_EQ(prompter_.messages, c.shown);
        EXPECT_EQ(prompter_.dialogs.size(), c.command == app::kIdLoad && c.answer ? 1u : 0u);
        EXPECT_THAT(view_.calls, IsEmpty());
        EXPECT_THAT(view_.events, IsEmpty());
        EXPECT_EQ(DirtyKeys().size(), c.dirty ? 1u : 0u);
    }
}

// A value a rule changed with an edit is pending like the edit: it goes to "Change To", marked, while
// "Current Value" keeps what the controller holds.
TEST_F(TuningModelTest, TercelMotorMaximumLimitsTheForwardSpeedShown) {
    session::Current().family = Family::Tercel;
    Tercel::SpeedControl speeds;
    speeds.BuildParamEntries();
    Tercel::Registers()[Tercel::kMotorMaxRpmRegister] = 6000;
    Tercel::Registers()[Tercel::kForwardMaxRpmRegister] = 5200;
    for (const auto& [address, value] : Tercel::Registers()) Tercel::MarkRegisterRead(address);
    session::LastRead().Take(Family::Tercel);
    model_.OnControlsCreated();

    Edit(1, L"4000");  // the motor's maximum, first under "Speed Control"
    ASSERT_THAT(view_.events, ElementsAre(app::kEventRefreshTuningValues));
    model_.OnAppEvent(app::kEventRefreshTuningValues);

    // The sink list's speed heading is row 1; forward high speed comes first under it.
    EXPECT_EQ(Cells(TuningTab::Sink, 2).current, L"5200");
    EXPECT_EQ(Cells(TuningTab::Sink, 2).changeTo, L"4000");
    EXPECT_EQ(model_.LookOf(TuningTab::Sink, 2, app::kChangeToColumn), app::CellLook::Changed);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2586", L"2878"}));
}

}  // namespace
