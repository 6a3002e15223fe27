#include "app/cards/tuning_model.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>

#include "app/app_ids.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/prompter.h"
#include "core/text.h"
#include "ev48400c/message_store.h"
#include "fj/parameter_table.h"
#include "session/read_values.h"
#include "session/session.h"
#include "session/tuning_actions.h"
#include "tercel/family_state.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"
#include "tests/tercel/test_support.h"

namespace {

using datafiles::TuningTab;
using testing::ElementsAre;
using testing::IsEmpty;

// Every box with its icon; a hook lets a box do what a real one does to the editor under it.
class RecordingPrompter final : public Prompter {
public:
    RecordingPrompter() : previous_(SetPrompter(this)) {}
    ~RecordingPrompter() override { SetPrompter(previous_); }

    void ShowMessage(const std::wstring& text, const std::wstring& title, MessageIcon icon) override {
        shown.push_back(title + L": " + text);
        icons.push_back(icon);
        if (onMessage) onMessage();
    }
    bool Confirm(const std::wstring& text, const std::wstring& title) override {
        shown.push_back(title + L"? " + text);
        return answer;
    }
    std::optional<std::filesystem::path> ChooseOpenFile(const FileDialogRequest& request) override {
        dialogs.push_back(request.title);
        return {};
    }
    std::optional<std::filesystem::path> ChooseSaveFile(const FileDialogRequest& request) override {
        dialogs.push_back(request.title);
        return {};
    }
    void Pause(uint32_t) override {}

    bool answer = true;
    std::function<void()> onMessage;
    std::vector<std::wstring> shown;
    std::vector<MessageIcon> icons;
    std::vector<std::string> dialogs;

private:
    Prompter* previous_;
};

class FakeView final : public app::TuningView {
public:
    void ShowList(TuningTab tab) override { calls.push_back("show " + Name(tab)); }
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

    static std::string Name(TuningTab tab) { return text::WideToUtf8(session::TabTitle(tab)); }

    std::vector<std::string> calls;
    std::vector<uint32_t> events;
    std::wstring editorText;
};

// One byte behind a 0..100 entry, a read-only byte, and an entry on the "Info" list.
struct Storage {
    uint8_t value = 50;
    int setterCalls = 0;
};

ParamEntry ByteEntry(Storage& storage, const wchar_t* key, bool readOnly) {
    ParamEntry entry;
    entry.key = key;
    entry.label = std::wstring(key) + L" label";
    entry.owner = &storage;
    entry.kind = ParamKind::UInt8;
    entry.unit = L"%";
    entry.minValue = L"0";
    entry.maxValue = FixedMax(L"100");
    entry.readOnly = readOnly;
    entry.getter = [](void* owner) { return std::to_string(static_cast<Storage*>(owner)->value); };
    entry.setter = [](void* owner, const std::string& text) {
        auto* stored = static_cast<Storage*>(owner);
        ++stored->setterCalls;
        stored->value = static_cast<uint8_t>(std::stoi(text));
    };
    return entry;
}

class TuningModelTest : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        session::Current() = session::Session{};
        SetStatus(L"");
        model_.AttachView(&view_);
    }
    void TearDown() override {
        testsupport::ResetFamilies();
        session::Current() = session::Session{};
    }

    // FJ rows: "Speed Control" with the 0..100 entry and a read-only one; "Info" with another.
    void UseFjRows() {
        session::Current().family = Family::FJ;
        ParamRegistry::Instance().List(FJ::kSpeedTuningList) = {ByteEntry(storage_, L"limit", false),
                                                                ByteEntry(readOnly_, L"fixed", true)};
        ParamRegistry::Instance().List(FJ::kControllerInfoList) = {ByteEntry(info_, L"info", false)};
        ShowAsRead();
    }
    // The page after the controller gave every value: only a value read may be edited.
    void ShowAsRead() {
        session::LastRead().Take(session::ConnectedFamily());
        model_.OnControlsCreated();
    }
    const app::ShownRow& Row(TuningTab tab, size_t row) const { return model_.Rows(tab).at(row); }
    const std::wstring& ChangeTo(TuningTab tab, size_t row) const { return Row(tab, row).cells.changeTo; }

    // Headings and the number of rows under each: "Speed Control 5".
    std::vector<std::string> Outline(TuningTab tab) const {
        std::vector<std::string> out;
        for (const auto& row : model_.Rows(tab)) {
            if (row.IsHeading())
                out.push_back(text::WideToUtf8(row.cells.label));
            else
                out.back() += "+";
        }
        return out;
    }

    testsupport::TempDir dir_;
    RecordingPrompter prompter_;
    FakeView view_;
    app::TuningModel model_{dir_.Path()};
    Storage storage_;
    Storage readOnly_;
    Storage info_;
};

TEST_F(TuningModelTest, RowsCarryTheirTagsAndLooks) {
    UseFjRows();
    const auto& rows = model_.Rows(TuningTab::Tuning);
    ASSERT_GE(rows.size(), 3u);
    EXPECT_EQ(rows[0].cells.label, L"Speed Control");
    EXPECT_EQ(std::vector({rows[0].tag, rows[1].tag, rows[2].tag}),
              std::vector({app::kHeadingRowTag, 0, app::kReadOnlyRowTag}));
    EXPECT_EQ(model_.LookOf(TuningTab::Tuning, 0, 3), app::CellLook::Heading);
    EXPECT_EQ(model_.LookOf(TuningTab::Tuning, 1, app::kChangeToColumn), app::CellLook::Plain);
    EXPECT_EQ(model_.LookOf(TuningTab::Tuning, 2, app::kChangeToColumn), app::CellLook::ReadOnly);
    EXPECT_EQ(GetStatus(), L"FJ Controller");
    EXPECT_THAT(view_.calls, ElementsAre("show Tuning"));
}

struct EditCase {
    const char* what;
    std::wstring typed;
    const wchar_t* refusal;  // the box's text; nullptr when the value is stored
    uint8_t value;
};

const EditCase kEditCases[] = {
    {"upper limit", L"100", nullptr, 100},
    {"lower limit", L"0", nullptr, 0},
    {"just above", L"100.5", L"Invalid: Value out of range", 50},
    {"below", L"-1", L"Invalid: Value out of range", 50},
    {"not a number", L"abc", L"Invalid: Not a number: abc", 50},
    {"empty", L"", L"Invalid: Not a number: ", 50},
};

TEST_F(TuningModelTest, CommitChecksTheRangeAndRefusesWithABox) {
    UseFjRows();
    for (const auto& c : kEditCases) {
        SCOPED_TRACE(c.what);
        storage_.value = 50;
        DirtyKeys().clear();
        prompter_.shown.clear();
        prompter_.icons.clear();
        model_.RebuildLists();
        testsupport::LogCapture log;
        ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
        EXPECT_EQ(view_.editorText, L"50");

        model_.CommitEdit(c.typed);

        EXPECT_FALSE(model_.Editing());
        EXPECT_EQ(view_.calls.back(), "close");
        EXPECT_EQ(storage_.value, c.value);
        if (!c.refusal) {
            EXPECT_EQ(ChangeTo(TuningTab::Tuning, 1), c.typed);
            EXPECT_EQ(DirtyKeys(), DirtyKeySet{L"limit"});
            EXPECT_TRUE(log.Contains("limit is dirty"));
            EXPECT_THAT(prompter_.shown, IsEmpty());
            EXPECT_EQ(model_.LookOf(TuningTab::Tuning, 1, app::kChangeToColumn), app::CellLook::Changed);
        } else {
            EXPECT_EQ(ChangeTo(TuningTab::Tuning, 1), L"50");
            EXPECT_THAT(DirtyKeys(), IsEmpty());
            EXPECT_THAT(prompter_.shown, ElementsAre(c.refusal));
            EXPECT_THAT(prompter_.icons, ElementsAre(MessageIcon::Error));
        }
    }
}

TEST_F(TuningModelTest, EscapeAndTheOpeningTextChangeNothing) {
    UseFjRows();
    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    model_.CancelEdit();
    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    model_.CommitEdit(L"50");

    EXPECT_EQ(storage_.setterCalls, 0);
    EXPECT_THAT(DirtyKeys(), IsEmpty());
    EXPECT_EQ(ChangeTo(TuningTab::Tuning, 1), L"50");
    EXPECT_THAT(view_.calls, ElementsAre("show Tuning", "open 1", "close", "open 1", "close"));
    EXPECT_THAT(view_.events, IsEmpty());
}

TEST_F(TuningModelTest, EditingBackToTheOldValueDropsTheHighlightButStaysDirty) {
    UseFjRows();
    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    model_.CommitEdit(L"60");
    ASSERT_EQ(model_.LookOf(TuningTab::Tuning, 1, app::kChangeToColumn), app::CellLook::Changed);
    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    EXPECT_EQ(view_.editorText, L"60");
    model_.CommitEdit(L"50");

    EXPECT_EQ(model_.LookOf(TuningTab::Tuning, 1, app::kChangeToColumn), app::CellLook::Plain);
    EXPECT_EQ(DirtyKeys(), DirtyKeySet{L"limit"});
    EXPECT_EQ(storage_.setterCalls, 2);
}

TEST_F(TuningModelTest, OnlyChangeToCellsOfEditableRowsOfTheShownEditableListOpenAnEditor) {
    UseFjRows();
    const struct {
        const char* what;
        TuningTab shown;
        TuningTab tab;
        int row;
        int column;
    } cases[] = {
        {"the Info list", TuningTab::Info, TuningTab::Info, 1, app::kChangeToColumn},
        {"a heading", TuningTab::Tuning, TuningTab::Tuning, 0, app::kChangeToColumn},
        {"a read-only row", TuningTab::Tuning, TuningTab::Tuning, 2, app::kChangeToColumn},
        {"the current value", TuningTab::Tuning, TuningTab::Tuning, 1, 1},
        {"a list not shown", TuningTab::Info, TuningTab::Tuning, 1, app::kChangeToColumn},
        {"past the rows", TuningTab::Tuning, TuningTab::Tuning, 99, app::kChangeToColumn},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        model_.SelectTab(c.shown);
        EXPECT_FALSE(model_.BeginEdit(c.tab, c.row, c.column));
        EXPECT_FALSE(model_.Editing());
    }
    model_.SelectTab(TuningTab::Tuning);
    EXPECT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    EXPECT_FALSE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));  // one editor at a time
}

// The refusal box takes the focus from the editor, whose focus loss commits again.
TEST_F(TuningModelTest, ACommitInsideACommitDoesNothing) {
    UseFjRows();
    prompter_.onMessage = [this] { model_.CommitEdit(L"70"); };
    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    model_.CommitEdit(L"700");

    EXPECT_EQ(prompter_.shown.size(), 1u);
    EXPECT_EQ(storage_.setterCalls, 0);
    EXPECT_FALSE(model_.Editing());
    model_.CommitEdit(L"70");  // the box is gone: a late focus loss finds nothing to commit
    EXPECT_EQ(storage_.setterCalls, 0);
}

struct ButtonCase {
    const char* what;
    int command;
    bool dirty;
    bool answer;
    std::vector<std::wstring> shown;
    std::vector<std::string> dialogs;
};

const std::wstring kLoadQuestion = L"Warning? " + std::wstring(app::kLoadWarning);
const std::wstring kLoadUnwritten = L"Warning? " + std::wstring(app::kLoadUnwrittenWarning);
const std::wstring kPortLost = L"Error: " + text::Utf8ToWide(session::kPortLostText);

const ButtonCase kButtonCases[] = {
    {"write, nothing changed", app::kIdWrite, false, true, {L"Info: No changes to write!"}, {}},
    {"write, cancelled", app::kIdWrite, true, false, {L"Warning? " + std::wstring(app::kWriteWarning)}, {}},
    // No port to write to or read from: the technician is told, and nothing is sent or forgotten.
    {"write, the port lost",
     app::kIdWrite,
     true,
     true,
     {L"Warning? " + std::wstring(app::kWriteWarning), kPortLost},
     {}},
    {"reset, the port lost", app::kIdReset, false, false, {kPortLost}, {}},
    {"reset, cancelled",
     app::kIdReset,
     true,
     false,
     {L"Warning? " + std::wstring(app::kResetUnwrittenWarning)},
     {}},
    {"save, nothing changed", app::kIdSave, false, false, {L"Warning: Controller Undefined - Cant Save"}, {}},
    {"save, cancelled",
     app::kIdSave,
     true,
     false,
     {L"Warning? " + std::wstring(app::kSaveUnwrittenWarning)},
     {}},
    {"load, cancelled", app::kIdLoad, true, false, {kLoadQuestion}, {}},
    {"load, unwritten changes",
     app::kIdLoad,
     true,
     true,
     {kLoadQuestion, kLoadUnwritten},
     {"Open Vantrel Data"}},
    {"load", app::kIdLoad, false, true, {kLoadQuestion}, {"Open Vantrel Data"}},
};

TEST_F(TuningModelTest, ButtonsWarnBeforeTheyAct) {
    for (const auto& c : kButtonCases) {
        SCOPED_TRACE(c.what);
        DirtyKeys().clear();
        if (c.dirty) DirtyKeys().insert(L"limit");
        prompter_.shown.clear();
        prompter_.dialogs.clear();
        prompter_.answer = c.answer;
        view_.calls.clear();
        view_.events.clear();

        EXPECT_TRUE(model_.OnCommand(c.command));

        EXPECT_EQ(prompter_.shown, c.shown);
        EXPECT_EQ(prompter_.dialogs, c.dialogs);
        // Nothing ran: no wait cursor, no rebuilt lists, the changes kept.
        EXPECT_THAT(view_.calls, IsEmpty());
        EXPECT_THAT(view_.events, IsEmpty());
        EXPECT_EQ(DirtyKeys().size(), c.dirty ? 1u : 0u);
    }
}

TEST_F(TuningModelTest, Ev48400cPeakSpeedLimitsTheGearSpeedsShown) {
    session::Current().family = Family::EV48400C;
    // Motor maximum 5000 RPM; gears at 4500, 2500 and 3500.
    ASSERT_TRUE(EV48400C::ParseInto(EV48400C::Messages().motorParameters,
                                    ev48test::MakeFrame(56, {{4, 0x5A}, {10, 0x88}, {11, 0x13}, {16, 80}})));
    ASSERT_TRUE(EV48400C::ParseInto(
        EV48400C::Messages().standardGearMode,
        ev48test::MakeFrame(57, {{4, 0x94}, {5, 0x11}, {6, 0xC4}, {7, 0x09}, {8, 0xAC}, {9, 0x0D}})));
    ShowAsRead();
    const auto& rows = model_.Rows(TuningTab::Tuning);
    const auto rowOf = [&](const std::wstring& key) {
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].entry && rows[i].entry->key == key) return static_cast<int>(i);
        return -1;
    };
    const int peak = rowOf(L"motorPeakSpeed");
    const int high = rowOf(L"FWD_GearH_MaxSpeed");
    const int slow = rowOf(L"FWD_GearS_MaxSpeed");
    ASSERT_GT(peak, 0);
    ASSERT_GT(high, peak);

    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, peak, app::kChangeToColumn));
    model_.CommitEdit(L"3000");
    ASSERT_THAT(view_.events, ElementsAre(app::kEventRefreshTuningValues));
    model_.OnAppEvent(app::kEventRefreshTuningValues);

    EXPECT_EQ(ChangeTo(TuningTab::Tuning, static_cast<size_t>(high)), L"3000");
    EXPECT_EQ(Row(TuningTab::Tuning, static_cast<size_t>(high)).cells.current, L"4500");
    EXPECT_EQ(model_.LookOf(TuningTab::Tuning, static_cast<size_t>(high), app::kChangeToColumn),
              app::CellLook::Changed);
    EXPECT_EQ(ChangeTo(TuningTab::Tuning, static_cast<size_t>(slow)), L"2500");
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"BKD_MaxSpeed", L"FWD_GearH_MaxSpeed", L"motorPeakSpeed"}));
}

TEST_F(TuningModelTest, TercelMotorMaximumLimitsTheForwardSpeedShown) {
    session::Current().family = Family::Tercel;
    Tercel::SpeedControl speeds;
    speeds.BuildParamEntries();
    Tercel::Registers()[Tercel::kMotorMaxRpmRegister] = 6000;
    Tercel::Registers()[Tercel::kForwardMaxRpmRegister] = 5200;
    Tercel::Registers()[2590] = 3000;
    for (const auto& [address, value] : Tercel::Registers()) Tercel::MarkRegisterRead(address);
    ShowAsRead();
    EXPECT_THAT(Outline(TuningTab::Tuning),
                ElementsAre("Speed Control+++++", "Accelleration/Deceleration+++", "Torque++++++"));
    EXPECT_THAT(Outline(TuningTab::Sink), ElementsAre("Vehicle", "Speed Control++++++++++"));
    EXPECT_THAT(Outline(TuningTab::Stats), IsEmpty());

    ASSERT_TRUE(model_.BeginEdit(TuningTab::Tuning, 1, app::kChangeToColumn));
    model_.CommitEdit(L"4000");
    ASSERT_THAT(view_.events, ElementsAre(app::kEventRefreshTuningValues));
    model_.OnAppEvent(app::kEventRefreshTuningValues);

    // The sink list's speed heading is row 1; forward high speed comes first under it.
    EXPECT_EQ(Row(TuningTab::Sink, 2).cells.current, L"5200");
    EXPECT_EQ(ChangeTo(TuningTab::Sink, 2), L"4000");
    EXPECT_EQ(ChangeTo(TuningTab::Sink, 3), L"3000");
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2586", L"2878"}));
}

}  // namespace
