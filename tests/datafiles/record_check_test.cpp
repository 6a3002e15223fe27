// Hostile backups and profiles: each refused whole, with nothing of it left in the model or in the
// keys marked for writing, and the user told which record or line and why. The command line's inspect
// reads a backup without a controller and must come to the same verdict.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/hex_text.h"
#include "core/ini_file.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/text.h"
#include "datafiles/data_file.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/frame_codec.h"
#include "ev48400c/message_store.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "tercel/command_codec.h"
#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/motor.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"
#include "tests/support/entries.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/temp_dir.h"

namespace {

using datafiles::DataFilePart;
using datafiles::TuningTab;
using testing::HasSubstr;
using Bytes = std::vector<uint8_t>;

const DataFilePart& kFj = datafiles::kFjDataFile;
const DataFilePart& kTercel = datafiles::kTercelDataFile;
const DataFilePart& kEv = datafiles::kEv48400cDataFile;

std::string Record(const Bytes& frame) {
    return EncryptPayload(ToHex(frame));
}

// The line of the text starting with prefix replaced by line, or the text unchanged.
std::string ReplaceLine(std::string text, const std::string& prefix, const std::string& line) {
    const size_t at = text.find("\n" + prefix);
    if (at == std::string::npos) return text;
    const size_t end = text.find('\n', at + 1);
    return text.replace(at + 1, end - at - 1, line);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

Bytes FjReadAnswer(uint8_t group, uint8_t index, uint16_t value) {
    Bytes frame = FJ::BuildWriteRequest(group, index, value);
    frame[3] = FJ::FJ_CID_READ_ACK;
    const uint16_t crc = FJ::ComputeCrc16(frame.data() + 2, frame.size() - 4);
    frame[frame.size() - 2] = static_cast<uint8_t>(crc >> 8);
    frame[frame.size() - 1] = static_cast<uint8_t>(crc & 0xFF);
    return frame;
}

Bytes Damaged(Bytes frame) {
    frame.back() ^= 0x01;
    return frame;
}

// Every editable entry of the tabs a backup writes, at the low end of its limits.
void AtLowLimits(const std::vector<datafiles::TabLayout>& layout) {
    for (const auto tab : {TuningTab::Tuning, TuningTab::Sink})
        for (const ParamEntry* entry : datafiles::SectionRows(datafiles::TabSections(layout, tab))) {
            if (entry->readOnly) continue;
            const auto range = EntryRange(*entry);
            ASSERT_TRUE(range) << text::WideToUtf8(entry->label);
            char low[32];
            std::snprintf(low, sizeof low, "%g", range->low);
            entry->setter(entry->owner, low);
        }
}

// What a family holds: every FJ value, every Tercel register that is not 0, every EV48-400-C group's
// bytes, and the keys marked for writing.
std::string State() {
    std::string out;
    const auto& table = FJ::FjValueTable::Instance();
    for (size_t g = 0; g < FJ::kGroupCount; ++g)
        for (size_t i = 0; i < FJ::kIndexCount; ++i)
            out += std::to_string(table.Get(static_cast<uint8_t>(g), static_cast<uint8_t>(i))) + ',';
    std::map<uint16_t, uint16_t> registers(Tercel::Registers().begin(), Tercel::Registers().end());
    for (const auto& [address, value] : registers)
        if (value != 0) out += std::to_string(address) + '=' + std::to_string(value) + ',';
    if (const auto& pedal = EV48400C::Messages().acceleratorPedal) out += ToHex(pedal->Serialize());
    for (const auto& key : DirtyKeys()) out += '|' + text::WideToUtf8(key);
    return out;
}

class RecordCheck : public testing::Test {
protected:
    void SetUp() override {
        testsupport::ResetFamilies();
        FJ::BuildEntryLists();
        AtLowLimits(datafiles::FjLayout());
        auto& objects = Tercel::Objects();
        objects.config = std::make_shared<Tercel::Config>();
        objects.driveInfo = std::make_shared<Tercel::DriveInfo>();
        objects.motor = std::make_shared<Tercel::Motor>();
        objects.speedControl = std::make_shared<Tercel::SpeedControl>();
        objects.vehicle = std::make_shared<Tercel::Vehicle>();
        objects.config->BuildParamEntries();
        objects.driveInfo->BuildParamEntries();
        objects.motor->BuildParamEntries();
        objects.speedControl->BuildParamEntries();
        objects.vehicle->BuildParamEntries();
        auto& registers = Tercel::Registers();
        registers[Tercel::kSpeedResponseModeRegister] = 0;
        registers[Tercel::kCurrentScaleRegister] = 1;
        registers[Tercel::kMaxCurrentRegister] = 32767;
        AtLowLimits(datafiles::TercelLayout());
        ASSERT_TRUE(EV48400C::ParseInto(
            EV48400C::Messages().acceleratorPedal,
            EV48400C::SealFrame(EV48400C::NewFrame(EV48400C::kAcceleratorPedalId), "test")));
        DirtyKeys().clear();
    }
    void TearDown() override { testsupport::ResetFamilies(); }

    std::string Save(const DataFilePart& part) {
        prompter_.saveFile = dir_ / "saved.vtdata";
        datafiles::DataFileContext context;
        context.part = &part;
        context.executableDirectory = dir_.Path();
        context.createBackupsFolder = false;
        EXPECT_TRUE(datafiles::SaveBackup(context));
        return testsupport::ReadFileBytes(dir_ / "saved.vtdata");
    }
    bool Load(const DataFilePart& part, const std::string& text) {
        testsupport::WriteFileBytes(dir_ / "loaded.vtdata", text);
        prompter_.openFile = dir_ / "loaded.vtdata";
        prompter_.messages.clear();
        datafiles::DataFileContext context;
        context.part = &part;
        context.executableDirectory = dir_.Path();
        return datafiles::LoadDataFile(context);
    }
    std::string Warning() const {
        return prompter_.messages.empty() ? std::string() : text::WideToUtf8(prompter_.messages.back());
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
};

// What inspect says of the file, read as it reads it: without a controller.
std::string InspectVerdict(const DataFilePart& part, const std::string& text) {
    const IniDocument document(text);
    const auto records = part.backupRecords(document, true);
    if (const auto* damaged = datafiles::FirstDamaged(records)) return damaged->damage;
    return datafiles::IntegrityProblem(document, records);
}

// How a saved backup is made hostile: its d0 replaced by the frame, the frame added under a key (or
// section and key), the other family's backup relabelled, or its records taken away.
enum class Edit { D0, Append, Relabel, NoRecords };

struct HostileBackup {
    const char* what;
    const DataFilePart* part;
    Edit edit;
    Bytes frame;
    const char* appended;  // the text before the added record, for Edit::Append
    const char* reason;
};

const HostileBackup kHostileBackups[] = {
    {"FJ CRC", &kFj, Edit::D0, Damaged(FJ::BuildWriteRequest(0x0D, 0x1F, 100)), "", "its CRC does not match"},
    {"FJ read answer", &kFj, Edit::D0, FjReadAnswer(0x0D, 0x1F, 100), "", "it is not an FJ write request"},
    {"FJ read-only", &kFj, Edit::D0, FJ::BuildWriteRequest(0x13, 0x3D, 1), "", "which is read-only"},
    {"FJ limits", &kFj, Edit::D0, FJ::BuildWriteRequest(0x0D, 0x1F, 60000), "",
     "outside the limits 0 to 6000"},
    {"FJ no setting", &kFj, Edit::D0, FJ::BuildWriteRequest(0x30, 0x00, 1), "", "30:00 is not a setting"},
    {"FJ relabelled", &kFj, Edit::Relabel, {}, "", "it is not an FJ write request"},
    {"FJ no records", &kFj, Edit::NoRecords, {}, "", "it holds no records"},
    {"FJ d0 twice", &kFj, Edit::Append, FJ::BuildWriteRequest(0x0D, 0x1F, 2),
     "d0=", "its key d0 is given twice"},
    {"FJ [Data] twice", &kFj, Edit::Append, FJ::BuildWriteRequest(0x0D, 0x1F, 2),
     "\n[data]\nd0=", "its section [data] is given twice"},
    {"Tercel checksum", &kTercel, Edit::D0, Damaged(Tercel::BuildWriteFrame(2878, 100)), "",
     "its checksum does not match"},
    {"Tercel read", &kTercel, Edit::D0, Tercel::BuildReadFrame(2878), "",
     "it is not a Tercel register write"},
    {"Tercel read-only", &kTercel, Edit::D0, Tercel::BuildWriteFrame(126, 5), "",
     "Application Software ID, which is read-only"},
    {"Tercel limits", &kTercel, Edit::D0, Tercel::BuildWriteFrame(2878, 65000), "",
     "outside the limits 0 to 10000"},
    // The motor maximum the file itself sets (0) bounds the forward speed.
    {"Tercel limit set by the file", &kTercel, Edit::Append, Tercel::BuildWriteFrame(2586, 1),
     "d90=", "outside the limits 0 to 0"},
    {"Tercel relabelled", &kTercel, Edit::Relabel, {}, "", "it is not a Tercel register write"},
    {"Tercel no records", &kTercel, Edit::NoRecords, {}, "", "it holds no records"},
    {"Tercel d0 twice", &kTercel, Edit::Append, Tercel::BuildWriteFrame(2878, 2),
     "D0=", "its key D0 is given twice"},
    {"Tercel [Data] twice", &kTercel, Edit::Append, Tercel::BuildWriteFrame(2878, 2),
     "\n[Data]\nd40=", "its section [Data] is given twice"},
};

std::string MadeHostile(const HostileBackup& c, const std::string& own, const std::string& other) {
    switch (c.edit) {
        case Edit::D0:
            return ReplaceLine(own, "d0=", "d0=" + Record(c.frame));
        case Edit::Append:
            return own + c.appended + Record(c.frame) + "\n";
        case Edit::Relabel:
            return Replace(other, std::string("ControllerType=") + (c.part == &kFj ? "Tercel" : "FJ"),
                           std::string("ControllerType=") + c.part->familyName);
        case Edit::NoRecords:
            return own.substr(0, own.find("\n[Data]\n") + 8);
    }
    return own;
}

TEST_F(RecordCheck, HostileBackupsAreRefusedWholeAndInspectAgrees) {
    const std::string fj = Save(kFj);
    const std::string tercel = Save(kTercel);
    for (const auto& c : kHostileBackups) {
        SCOPED_TRACE(c.what);
        SetUp();
        DirtyKeys().insert(L"0F:1C");  // an edit made before the load stays as it is
        const bool ownIsFj = c.part == &kFj;
        const std::string hostile = MadeHostile(c, ownIsFj ? fj : tercel, ownIsFj ? tercel : fj);
        const std::string before = State();
        EXPECT_FALSE(Load(*c.part, hostile));
        EXPECT_EQ(State(), before);
        EXPECT_EQ(Warning().rfind("Warning: The file is damaged and was not loaded:\n", 0), 0u) << Warning();
        EXPECT_THAT(Warning(), HasSubstr(c.reason));

        testsupport::ResetFamilies();
        EXPECT_THAT(InspectVerdict(*c.part, hostile), HasSubstr(c.reason));
        // Inspect borrows the entries it needs and leaves the families as it found them.
        EXPECT_TRUE(FJ::List(FJ::kSpeedTuningList).empty());
        EXPECT_TRUE(Tercel::List(Tercel::kSpeedLimitList).empty());
        EXPECT_FALSE(Tercel::Objects().speedControl);
    }
}

TEST_F(RecordCheck, GoodBackupsStillLoadAndMarkWhatTheyChange) {
    const std::string fj = Save(kFj);
    const std::string tercel = Save(kTercel);
    testsupport::Set(FJ::kSpeedTuningList, L"0D:1F", "4000");
    testsupport::Set(Tercel::kSpeedLimitList, L"2754", "55.5");
    ASSERT_TRUE(Load(kFj, fj)) << Warning();
    ASSERT_TRUE(Load(kTercel, tercel)) << Warning();
    EXPECT_EQ(testsupport::Shown(FJ::kSpeedTuningList, L"0D:1F"), "0");
    EXPECT_EQ(testsupport::Shown(Tercel::kSpeedLimitList, L"2754"), "0.0");
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0D:1F", L"2754"}));

    testsupport::ResetFamilies();
    EXPECT_EQ(InspectVerdict(kFj, fj), "");
    EXPECT_EQ(InspectVerdict(kTercel, tercel), "");
}

// The accelerator's minimum is kept in hundredths of a volt and shown in tenths.
TEST_F(RecordCheck, Ev48400cRestoreMarksAGroupChangedBelowTheShownPrecision) {
    using namespace EV48400C;
    testsupport::Set(kAcceleratorList, L"Accelerator_MinValue_V", "1.00");
    const Frame atBackup = Messages().acceleratorPedal->Serialize();
    const std::string backup = Save(kEv);
    testsupport::Set(kAcceleratorList, L"Accelerator_MinValue_V", "1.03");
    ASSERT_EQ(testsupport::Shown(kAcceleratorList, L"Accelerator_MinValue_V"), "1.0");
    ASSERT_NE(Messages().acceleratorPedal->Serialize(), atBackup);

    ASSERT_TRUE(Load(kEv, backup)) << Warning();
    EXPECT_EQ(Messages().acceleratorPedal->Serialize(), atBackup);
    EXPECT_TRUE(DirtyKeys().count(L"Accelerator_MinValue_V"));

    // Loaded again, nothing differs and nothing more is marked.
    DirtyKeys().clear();
    ASSERT_TRUE(Load(kEv, backup));
    EXPECT_TRUE(DirtyKeys().empty());
}

TEST_F(RecordCheck, Ev48400cBackupsWithoutRecordsOrWithRepeatsAreRefused) {
    const std::string backup = Save(kEv);
    const std::string data =
        backup.substr(backup.find("\ndata=") + 1,
                      backup.find('\n', backup.find("\ndata=") + 1) - backup.find("\ndata=") - 1);
    const struct {
        const char* what;
        std::string text;
        const char* reason;
    } cases[] = {
        {"no group read", Replace(backup, data + "\n", ""), "it holds no records"},
        {"data twice", Replace(backup, data + "\n", data + "\n" + data + "\n"),
         "its key data is given twice"},
        {"group twice", backup + "\n[Accelerator]\n" + data + "\n",
         "its section [Accelerator] is given twice"},
    };
    testsupport::Set(EV48400C::kAcceleratorList, L"Accelerator_MinValue_V", "1.5");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string before = State();
        EXPECT_FALSE(Load(kEv, c.text));
        EXPECT_EQ(State(), before);
        EXPECT_THAT(Warning(), HasSubstr(c.reason));
    }
}

struct HostileProfile {
    const char* what;
    std::string tuning;  // the [Tuning] section's lines; {a} and {b} stand for two labels
    const char* reason;
};

std::string Filled(std::string lines, const std::string& a, const std::string& b) {
    for (size_t at; (at = lines.find("{a}")) != std::string::npos;) lines.replace(at, 3, a);
    for (size_t at; (at = lines.find("{b}")) != std::string::npos;) lines.replace(at, 3, b);
    return lines;
}

const HostileProfile kHostileProfiles[] = {
    {"every line refused", "No Such Setting=5\nNor This=7\n",
     "No Such Setting=5: no such setting under [Tuning]"},
    {"one line beyond its limits", "{a}=100\n{b}=60000\n", "{b}=60000: outside its limits"},
    {"a decimal comma", "{a}=100\n{b}=1,5\n", "{b}=1,5: a decimal comma"},
    {"not a number", "{a}=100\n{b}=5000abc\n", "{b}=5000abc: not a number"},
    {"a label twice", "{a}=100\n{b}=10\n{a}=200\n", "{a}=200: given twice"},
    {"a line that is no setting", "{a}=100\njust words\n", "just words: not label=value"},
    {"a section longer than its reader takes in", "{b}=10\n{a}=" + std::string(4100, '0') + "99\n",
     "[Tuning]: longer than 4096 characters"},
    {"empty", "", "holds no settings"},
};

struct ProfileFamily {
    const DataFilePart* part;
    const char* name;
    std::string_view list;
    const wchar_t* a;  // two editable tuning entries whose limits take 100 and 10
    const wchar_t* b;
};

const ProfileFamily kProfileFamilies[] = {
    {&kFj, "FJ", FJ::kSpeedTuningList, L"0D:1F", L"0F:1C"},
    {&kTercel, "Tercel", Tercel::kSpeedLimitList, L"2878", L"2754"},
};

std::string Profile(const char* family, const std::string& tuning) {
    return std::string("[FILE]\nControllerType=") + family + "\nType=Profile\n\n[Tuning]\n" + tuning;
}

TEST_F(RecordCheck, HostileProfilesChangeNothingAndSayWhichLines) {
    for (const auto& family : kProfileFamilies) {
        const std::string a = text::WideToUtf8(testsupport::Entry(family.list, family.a).label);
        const std::string b = text::WideToUtf8(testsupport::Entry(family.list, family.b).label);
        for (const auto& c : kHostileProfiles) {
            SCOPED_TRACE(std::string(family.name) + ": " + c.what);
            DirtyKeys() = {L"earlier edit"};
            const std::string before = State();
            EXPECT_FALSE(Load(*family.part, Profile(family.name, Filled(c.tuning, a, b))));
            EXPECT_EQ(State(), before);
            EXPECT_THAT(Warning(), HasSubstr(Filled(c.reason, a, b)));
            EXPECT_THAT(Warning(), HasSubstr("was not loaded"));
        }
        SCOPED_TRACE(family.name);
        DirtyKeys().clear();
        ASSERT_TRUE(Load(*family.part, Profile(family.name, a + "=100\n" + b + " = 10\n"))) << Warning();
        EXPECT_EQ(testsupport::Shown(family.list, family.a), "100");
        EXPECT_EQ(DirtyKeys(), (DirtyKeySet{family.a, family.b}));
    }
}

TEST_F(RecordCheck, Ev48400cProfileIsTakenWholeOrNotAtAll) {
    using namespace EV48400C;
    const std::string profile =
        "[FILE]\nControllerType=EV48-400-C\nType=Profile\n\n[Accelerator]\n"
        "Accelerator Min Value=1.5\n";
    const std::string before = State();
    EXPECT_FALSE(Load(kEv, profile + "Accelerator Max Value=9\n"));
    EXPECT_EQ(State(), before);
    EXPECT_THAT(Warning(), HasSubstr("Accelerator Max Value=9: outside its limits 2.0 to 5.0"));

    ASSERT_TRUE(Load(kEv, profile + "Accelerator Max Value=4.5\n")) << Warning();
    EXPECT_EQ(testsupport::Shown(kAcceleratorList, L"Accelerator_MinValue_V"), "1.5");
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"Accelerator_MaxValue_V", L"Accelerator_MinValue_V"}));
}

}  // namespace
