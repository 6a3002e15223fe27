// Backups and profiles without a controller: saving, stored files of any installation, what a load
// converts or marks, and damaged or hostile files refused whole with nothing of them left in the model
// or in the marked keys. Inspect reads a backup without a controller and must come to the same verdict.
#include "datafiles/data_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "core/payload_cipher.h"
#include "core/text.h"
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
using testing::Contains;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;
using Bytes = std::vector<uint8_t>;

const DataFilePart* const kFj = &datafiles::kFjDataFile;
const DataFilePart* const kTercel = &datafiles::kTercelDataFile;
const DataFilePart* const kEv = &datafiles::kEv48400cDataFile;
const host::LocalTime kJuly8 = {2025, 7, 8, 14, 5, 9, 0};

// Every editable entry of the tabs a backup writes, at the low end of its limits.
void AtLowLimits(const std::vector<datafiles::TabLayout>& layout) {
    for (const auto tab : {datafiles::TuningTab::Tuning, datafiles::TuningTab::Sink})
        for (const ParamEntry* entry : datafiles::SectionRows(datafiles::TabSections(layout, tab))) {
            if (entry->readOnly) continue;
            const auto range = EntryRange(*entry);
            ASSERT_TRUE(range) << text::WideToUtf8(entry->label);
            entry->setter(entry->owner, paramdetail::NumberText(range->low));
        }
}

// What the families hold: every FJ value, every Tercel register that is not 0, the EV48-400-C
// accelerator group's bytes, and the keys marked for writing.
std::string State() {
    std::string out;
    const auto& table = FJ::FjValueTable::Instance();
    for (uint8_t g = 0; g < FJ::kGroupCount; ++g)
        for (uint8_t i = 0; i < FJ::kIndexCount; ++i) out += std::to_string(table.Get(g, i)) + ',';
    const std::map<uint16_t, uint16_t> registers(Tercel::Registers().begin(), Tercel::Registers().end());
    for (const auto& [address, value] : registers)
        if (value != 0) out += std::to_string(address) + '=' + std::to_string(value) + ',';
    if (const auto& pedal = EV48400C::Messages().acceleratorPedal) out += ToHex(pedal->Serialize());
    for (const auto& key : DirtyKeys()) out += '|' + text::WideToUtf8(key);
    return out;
}

class DataFile : public testing::Test {
protected:
    void SetUp() override { Fill(); }
    void TearDown() override { testsupport::ResetFamilies(); }

    // Every family at the low end of its limits, every EV48-400-C group read, nothing marked.
    static void Fill() {
        testsupport::ResetFamilies();
        FJ::BuildEntryLists();
        AtLowLimits(datafiles::FjLayout());
        auto& objects = Tercel::Objects();
        const auto make = [](auto& block) {
            block = std::make_shared<typename std::remove_reference_t<decltype(block)>::element_type>();
            block->BuildParamEntries();
        };
        make(objects.config), make(objects.driveInfo), make(objects.motor);
        make(objects.speedControl), make(objects.vehicle);
        auto& registers = Tercel::Registers();
        registers[Tercel::kSpeedResponseModeRegister] = 0;
        registers[Tercel::kCurrentScaleRegister] = 1;
        registers[Tercel::kMaxCurrentRegister] = 32767;  // one ampere per count
        AtLowLimits(datafiles::TercelLayout());
        using namespace EV48400C;
        const auto read = [](auto& group, uint8_t id) {
            ASSERT_TRUE(ParseInto(group, SealFrame(NewFrame(id), "test")));
        };
        auto& m = Messages();
        read(m.motorParameters, kMotorParametersId), read(m.standardGearMode, kStandardGearModeId);
        read(m.acceleratorPedal, kAcceleratorPedalId), read(m.lowSideDrive, kLowSideDriveId);
        read(m.hillControl, kHillControlId), read(m.temperatureRegulation, kTemperatureRegulationId);
        read(m.mileage, kMileageId);
        AtLowLimits(datafiles::Ev48400cLayout());
        DirtyKeys().clear();
    }

    datafiles::DataFileContext Context(const DataFilePart* part) const {
        datafiles::DataFileContext context;
        context.part = part;
        context.executableDirectory = dir_.Path();
        context.createBackupsFolder = false;
        return context;
    }
    // Saved through the dialog; the text written.
    std::string Save(const DataFilePart* part) {
        prompter_.saveFile = dir_ / "saved.vtdata";
        EXPECT_TRUE(datafiles::SaveBackup(Context(part), kJuly8));
        return testsupport::ReadFileBytes(dir_ / "saved.vtdata");
    }
    bool Load(const DataFilePart* part, const std::string& text) {
        testsupport::WriteFileBytes(dir_ / "loaded.vtdata", text);
        prompter_.openFile = dir_ / "loaded.vtdata";
        prompter_.messages.clear();
        return datafiles::LoadDataFile(Context(part));
    }
    std::string Warning() const {
        return prompter_.messages.empty() ? std::string() : text::WideToUtf8(prompter_.messages.back());
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
};

// Without a family, or with a backups folder past the path limit: no dialog, no folder, the file untouched.
TEST_F(DataFile, ABackupThatCannotBeMadeWritesNothing) {
    for (const bool tooLong : {false, true}) {
        datafiles::DataFileContext context = Context(tooLong ? kFj : nullptr);
        context.createBackupsFolder = true;
        const std::string folder(tooLong ? datafiles::kMaxPathLength / 2 : 1, 'x');
        context.executableDirectory = dir_.Path() / folder / folder;
        testsupport::WriteFileBytes(dir_ / "backup.vtdata", "precious");
        prompter_.saveFile = dir_ / "backup.vtdata";
        prompter_.messages.clear();
        EXPECT_FALSE(datafiles::SaveBackup(context, kJuly8));
        EXPECT_THAT(prompter_.messages, ElementsAre(tooLong ? L"Warning: Path too long"
                                                            : L"Warning: Controller Undefined - Cant Save"));
        EXPECT_TRUE(prompter_.dialogs.empty());
        EXPECT_FALSE(std::filesystem::exists(dir_ / folder));
        EXPECT_EQ(testsupport::ReadFileBytes(dir_ / "backup.vtdata"), "precious");
    }
}

// A name given on the command line may hold line breaks; it must not start lines of its own.
TEST_F(DataFile, ACustomerNameStaysOnItsLine) {
    datafiles::DataFileContext context = Context(kFj);
    context.customerName = "Ada Garage\n[Data]\nd0=00";
    prompter_.saveFile = dir_ / "backup.vtdata";
    ASSERT_TRUE(datafiles::SaveBackup(context, kJuly8));
    const std::string text = testsupport::ReadFileBytes(dir_ / "backup.vtdata");
    EXPECT_THAT(text, HasSubstr("\n[Customer]\nName=Ada Garage [Data] d0=00\n"));
    EXPECT_EQ(text.find("\n[Data]"), text.rfind("\n[Data]"));
}

// Files written by another installation with the same key, on either platform: both builds must read the
// same bytes into the same values, and write the same bytes.
TEST_F(DataFile, StoredFilesOfAnyInstallationLoad) {
    ASSERT_TRUE(Load(kFj,
                     "[FILE]\nControllerType=FJ\nType=Backup\n\n[Data]\n"
                     "d0=221942064FD998D3905EBE76A847CF96844BB257E577B328F2E4595698F8F215\n"
                     "d1=221942064FD998D3B8299C7B745C2B107B09BB9C6CC22667F2E4595698F8F215\n"
                     "d2=221942064FD998D322FFC2F42B9006C620751A591920B920F2E4595698F8F215\n"))
        << Warning();
    auto& table = FJ::FjValueTable::Instance();
    EXPECT_EQ(table.Get(0x0C, 0x23), 45000);
    EXPECT_EQ(table.Get(0x0C, 0x30), 2);
    EXPECT_EQ(table.Get(0x0D, 0x1F), 4000);

    ASSERT_TRUE(Load(kTercel,
                     "[FILE]\nControllerType=Tercel\nType=Backup\n\n[Data]\n"
                     "d0=18BD1770ECA8DB2AAC9BD97655B7B2653CFE20172F085AC0F2E4595698F8F215\n"
                     "d1=18BD1770ECA8DB2AA836E0FB49E1D377C558823D4EDE66D4F2E4595698F8F215\n"))
        << Warning();
    EXPECT_EQ(Tercel::Registers()[3140], 250);
    EXPECT_EQ(Tercel::Registers()[2600], 1500);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0C:23", L"0C:30", L"0D:1F", L"2600", L"3140"}));

    EXPECT_THAT(Save(kFj), HasSubstr("=221942064FD998D3905EBE76A847CF96844BB257E577B328F2E4595698F8F215\n"));
}

// A profile holds values as the page shows them: scaled, by option, in amperes and in seconds.
TEST_F(DataFile, ProfilesAreConvertedToTheControllersUnits) {
    const auto label = [](std::string_view list, const wchar_t* key) {
        return text::WideToUtf8(testsupport::Entry(list, key).label);
    };
    ASSERT_TRUE(Load(kFj, "[FILE]\nControllerType=FJ\nType=Profile\n\n[Tuning]\n" +
                              label(FJ::kSpeedTuningList, L"0D:1F") + "=4000\n" +
                              label(FJ::kHillTuningList, L"0C:30") + "=2\n[Sink]\n" +
                              label(FJ::kKitchenSinkList, L"0C:23") + "=4500.0\n"))
        << Warning();
    auto& table = FJ::FjValueTable::Instance();
    EXPECT_EQ(table.Get(0x0D, 0x1F), 4000);
    EXPECT_EQ(table.Get(0x0C, 0x23), 45000);
    EXPECT_EQ(table.Get(0x0C, 0x30), 2);

    Tercel::Registers()[Tercel::kSpeedResponseModeRegister] = 1;
    ASSERT_TRUE(Load(kTercel, "[File]\nControllerType=Tercel\nType=Profile\n[Tuning]\n" +
                                  label(Tercel::kCurrentLimitList, L"3140") + "=120\n" +
                                  label(Tercel::kAccelerationMode1List, L"2600") + "=2.5\n"))
        << Warning();
    EXPECT_EQ(Tercel::Registers()[3140], 120);
    EXPECT_EQ(Tercel::Registers()[2600], 2500);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0C:23", L"0C:30", L"0D:1F", L"2600", L"3140"}));
}

// The accelerator's minimum is kept in hundredths of a volt and shown in tenths.
TEST_F(DataFile, Ev48400cRestoreMarksAGroupChangedBelowTheShownPrecision) {
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

// A controller set up elsewhere may hold a gear faster than its motor's maximum; its backup puts that
// back rather than being refused.
TEST_F(DataFile, Ev48400cBackupPutsBackAGearAboveTheMotorMaximum) {
    using namespace EV48400C;
    testsupport::Set(kMotorSpeedList, L"motorPeakSpeed", "3000");
    testsupport::Set(kGearSpeedList, L"BKD_MaxSpeed", "3000");
    testsupport::Set(kMotorSpeedList, L"motorPeakSpeed", "2000");
    const std::string backup = Save(kEv);
    Fill();
    ASSERT_TRUE(Load(kEv, backup)) << Warning();
    EXPECT_EQ(testsupport::Shown(kGearSpeedList, L"BKD_MaxSpeed"), "3000");
    EXPECT_EQ(testsupport::Shown(kMotorSpeedList, L"motorPeakSpeed"), "2000");
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

// The line of the text that starts with the prefix, without its line end.
std::string LineOf(const std::string& text, const std::string& prefix) {
    const size_t at = text.find("\n" + prefix) + 1;
    return text.substr(at, text.find('\n', at) - at);
}

std::string Record(const Bytes& frame) {
    return EncryptPayload(ToHex(frame));
}

// The file with the record d0 holding the frame.
std::string WithD0(const std::string& file, const Bytes& frame) {
    return Replace(file, LineOf(file, "d0="), "d0=" + Record(frame));
}

Bytes Damaged(Bytes frame) {
    frame.back() ^= 0x01;
    return frame;
}

// The EV48-400-C file with the group's data line holding the frame, or without the line.
std::string WithGroup(const std::string& file, const std::string& section,
                      const std::optional<Bytes>& frame) {
    const size_t data = file.find("\ndata=", file.find("[" + section + "]")) + 1;
    return file.substr(0, data) + (frame ? "data=" + Record(*frame) + "\n" : "") +
           file.substr(file.find('\n', data) + 1);
}

// The file as written before backups carried the count and check of their records.
std::string Older(const std::string& file) {
    return Replace(Replace(file, LineOf(file, "Records=") + "\n", ""), LineOf(file, "DataCrc32=") + "\n", "");
}

// The held group's frame with bytes set, sealed again: its checksum holds.
template <typename T>
Bytes Resealed(const std::shared_ptr<T>& group, std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
    Bytes frame = group->Serialize();
    for (const auto& [at, value] : bytes) frame[at] = value;
    return EV48400C::SealFrame(frame, "test");
}

// Backups of each family as saved, to be made hostile.
struct Saved {
    std::string fj, tercel, ev;
};

const struct {
    const char* what;
    const DataFilePart* part;
    std::string (*file)(const Saved&);
    const char* reason;
    bool byRecords;  // refused for its records: inspect, which reads no header rule, must agree
} kRefusedFiles[] = {
    {"FJ CRC", kFj,
     [](const Saved& s) { return WithD0(s.fj, Damaged(FJ::BuildWriteRequest(0x0D, 0x1F, 100))); },
     "record [Data] d0: its CRC does not match", true},
    {"FJ read request", kFj, [](const Saved& s) { return WithD0(s.fj, FJ::BuildReadRequest(0x0D, 0x1F)); },
     "it is not an FJ write request", true},
    {"FJ read-only", kFj, [](const Saved& s) { return WithD0(s.fj, FJ::BuildWriteRequest(0x13, 0x3D, 1)); },
     "which is read-only", true},
    {"FJ limits", kFj, [](const Saved& s) { return WithD0(s.fj, FJ::BuildWriteRequest(0x0D, 0x1F, 60000)); },
     "outside the limits 0 to 6000", true},
    {"FJ no setting", kFj, [](const Saved& s) { return WithD0(s.fj, FJ::BuildWriteRequest(0x30, 0x00, 1)); },
     "30:00 is not a setting", true},
    {"FJ not enciphered", kFj, [](const Saved& s) { return Replace(s.fj, LineOf(s.fj, "d5="), "d5=ZZ"); },
     "record [Data] d5: it does not decipher", true},
    {"FJ, a Tercel backup relabelled", kFj,
     [](const Saved& s) { return Replace(s.tercel, "ControllerType=Tercel", "ControllerType=FJ"); },
     "it is not an FJ write request", true},
    {"FJ no records", kFj, [](const Saved& s) { return s.fj.substr(0, s.fj.find("\n[Data]\n") + 8); },
     "it holds no records", true},
    {"FJ d0 twice", kFj,
     [](const Saved& s) { return s.fj + "d0=" + Record(FJ::BuildWriteRequest(0x0D, 0x1F, 2)); },
     "its key d0 is given twice", true},
    {"Tercel checksum", kTercel,
     [](const Saved& s) { return WithD0(s.tercel, Damaged(Tercel::BuildWriteFrame(2878, 100))); },
     "its checksum does not match", true},
    {"Tercel read", kTercel, [](const Saved& s) { return WithD0(s.tercel, Tercel::BuildReadFrame(2878)); },
     "it is not a Tercel register write", true},
    {"Tercel read-only", kTercel,
     [](const Saved& s) { return WithD0(s.tercel, Tercel::BuildWriteFrame(126, 5)); },
     "Application Software ID, which is read-only", true},
    {"Tercel limits", kTercel,
     [](const Saved& s) { return WithD0(s.tercel, Tercel::BuildWriteFrame(2878, 65000)); },
     "outside the limits 0 to 10000", true},
    // The motor maximum the file itself sets (0) bounds the forward speed.
    {"Tercel limit set by the file", kTercel,
     [](const Saved& s) { return s.tercel + "d90=" + Record(Tercel::BuildWriteFrame(2586, 1)) + "\n"; },
     "outside the limits 0 to 0", true},
    {"EV48-400-C group damaged", kEv,
     [](const Saved& s) { return Replace(s.ev, LineOf(s.ev, "data="), "data=ZZ"); }, "it does not decipher",
     true},
    {"EV48-400-C checksum", kEv,
     [](const Saved& s) {
         return WithGroup(s.ev, "Mileage", Damaged(EV48400C::Messages().mileage->Serialize()));
     },
     "record [Mileage] data: its frame does not check out", true},
    // Older files, without the count and check: only the record check stands between them and the model.
    {"EV48-400-C limits, sealed again", kEv,
     [](const Saved& s) {
         return WithGroup(Older(s.ev), "Motor Parameters",
                          Resealed(EV48400C::Messages().motorParameters, {{10, 0xE8}, {11, 0xFD}}));  // 65000
     },
     "its value 65000 for Motor Maximum Speed is outside the limits 0 to 8000", true},
    {"EV48-400-C option beyond its limits", kEv,
     [](const Saved& s) {
         return WithGroup(Older(s.ev), "Standard Gear Mode",
                          Resealed(EV48400C::Messages().standardGearMode, {{20, 11}}));
     },
     "for CAN Baudrate is outside the limits 0 to 10", true},
    {"EV48-400-C group missing", kEv,
     [](const Saved& s) { return WithGroup(Older(s.ev), "Slope Control", {}); },
     "record [Slope Control] data: its data line is missing", true},
    {"EV48-400-C, a Tercel backup relabelled", kEv,
     [](const Saved& s) { return Replace(s.tercel, "ControllerType=Tercel", "ControllerType=EV48-400-C"); },
     "record [Motor Parameters] data: its data line is missing", true},
    {"EV48-400-C group twice", kEv,
     [](const Saved& s) { return s.ev + "\n[Accelerator]\n" + LineOf(s.ev, "data=") + "\n"; },
     "its section [Accelerator] is given twice", true},
    {"another family's file", kEv, [](const Saved& s) { return s.fj; }, "Incorrect Controller Type: FJ",
     false},
    {"unknown type", kTercel,
     [](const Saved& s) { return Replace(s.tercel, "Type=Backup", "Type=Snapshot"); },
     "Unknown file type: Snapshot", false},
    // Refused by its size before it is read: a file of blank lines once took gigabytes to look at.
    {"a file past the size limit", kFj, [](const Saved& s) { return s.fj + std::string(2 << 20, '\n'); },
     "too large", false},
};

// What inspect says of the file, read as it reads it: without a controller.
std::string InspectVerdict(const DataFilePart& part, const std::string& text) {
    const IniDocument document(text);
    const auto records = part.backupRecords(document, true);
    if (const auto* damaged = datafiles::FirstDamaged(records)) return damaged->damage;
    return datafiles::IntegrityProblem(document, records);
}

TEST_F(DataFile, RefusedFilesChangeNothingAndInspectAgrees) {
    const Saved saved{Save(kFj), Save(kTercel), Save(kEv)};
    for (const auto& c : kRefusedFiles) {
        SCOPED_TRACE(c.what);
        Fill();
        DirtyKeys().insert(L"0F:1C");  // an edit made before the load stays as it is
        const std::string file = c.file(saved);
        const std::string before = State();
        EXPECT_FALSE(Load(c.part, file));
        EXPECT_TRUE(State() == before);
        EXPECT_THAT(Warning(), HasSubstr(c.reason));
        if (!c.byRecords) continue;

        testsupport::ResetFamilies();
        const std::string reason = c.reason;  // without the record named, which inspect shows apart
        const size_t named = reason.find(": ");
        EXPECT_THAT(InspectVerdict(*c.part, file),
                    HasSubstr(named == std::string::npos ? reason : reason.substr(named + 2)));
        // Inspect borrows the entries it needs and leaves the families as it found them.
        EXPECT_TRUE(FJ::List(FJ::kSpeedTuningList).empty());
        EXPECT_TRUE(Tercel::List(Tercel::kSpeedLimitList).empty());
        EXPECT_FALSE(Tercel::Objects().speedControl);
    }
}

// A family's profile lines: {a} and {b} stand for two labels of the list, {va} and {vb} for values they
// take, {s} for their section and {o} for another section of the family's profiles.
const struct ProfileFamily {
    const DataFilePart* part;
    const char* name;
    const char* section;
    const char* other;
    std::string_view list;
    const wchar_t* a;
    const wchar_t* b;
    const char* va;
    const char* vb;
} kProfileFamilies[] = {
    {kFj, "FJ", "Tuning", "Sink", FJ::kSpeedTuningList, L"0D:1F", L"0F:1C", "100", "10"},
    {kTercel, "Tercel", "Tuning", "Sink", Tercel::kSpeedLimitList, L"2878", L"2754", "100", "10"},
    {kEv, "EV48-400-C", "Accelerator", "Slope Control", EV48400C::kAcceleratorList, L"Accelerator_MinValue_V",
     L"Accelerator_MaxValue_V", "1.5", "4.5"},
};

const struct {
    const char* what;
    std::string lines;
    const char* reason;
    bool byShape;  // refused whatever the family holds: inspect, which holds no values, must agree
} kRefusedProfiles[] = {
    {"every line refused", "No Such Setting=5\nNor This=7\n",
     "No Such Setting=5: no such setting under [{s}]", false},
    {"one line beyond its limits", "{a}={va}\n{b}=60000\n", "{b}=60000: outside its limits", false},
    {"a decimal comma", "{a}={va}\n{b}=1,5\n", "{b}=1,5: a decimal comma", false},
    {"a number and more", "{a}={va}\n{b}=5000abc\n", "{b}=5000abc: not a number", false},
    {"a digit that is not ASCII", "{a}={va}\n{b}=\xEF\xBC\x95\n", "{b}=\xEF\xBC\x95: not a number", false},
    {"a label twice", "{a}={va}\n{b}={vb}\n{a}={va}\n", "{a}={va}: given twice", true},
    {"a setting under another section", "{a}={va}\n[{o}]\n{b}={vb}\n",
     "{b}={vb}: no such setting under [{o}]", false},
    {"a line that is no setting", "{a}={va}\njust words\n", "just words: not label=value", true},
    {"a section longer than its reader takes in", "{b}={vb}\n{a}=" + std::string(4100, '0') + "1\n",
     "[{s}]: longer than 4096 characters", true},
    {"a section given twice", "{a}={va}\n[{s}]\n{b}={vb}\n", "its section [{s}] is given twice", true},
    {"empty", "", "holds no settings", false},
};

std::string Filled(std::string lines, const ProfileFamily& family) {
    const std::pair<std::string, std::string> fields[] = {
        {"{a}", text::WideToUtf8(testsupport::Entry(family.list, family.a).label)},
        {"{b}", text::WideToUtf8(testsupport::Entry(family.list, family.b).label)},
        {"{va}", family.va},
        {"{vb}", family.vb},
        {"{s}", family.section},
        {"{o}", family.other}};
    for (const auto& [field, value] : fields)
        for (size_t at; (at = lines.find(field)) != std::string::npos;)
            lines.replace(at, field.size(), value);
    return lines;
}

TEST_F(DataFile, ProfilesAreTakenWholeOrNotAtAll) {
    for (const auto& family : kProfileFamilies) {
        // The header's names in any case.
        const std::string header = std::string("[file]\ncontrollertype=") + family.name +
                                   "\ntype=profile\n\n[" + family.section + "]\n";
        for (const auto& c : kRefusedProfiles) {
            SCOPED_TRACE(std::string(family.name) + ": " + c.what);
            DirtyKeys() = {L"earlier edit"};
            const std::string before = State();
            const std::string file = header + Filled(c.lines, family);
            EXPECT_FALSE(Load(family.part, file));
            EXPECT_TRUE(State() == before);
            EXPECT_THAT(Warning(), HasSubstr(Filled(c.reason, family)));
            EXPECT_THAT(Warning(), HasSubstr("was not loaded"));
            const auto shape = datafiles::ProfileShapeRefusals(IniDocument(file), *family.part);
            if (c.byShape)
                EXPECT_THAT(shape, Contains(HasSubstr(Filled(c.reason, family))));
            else
                EXPECT_THAT(shape, IsEmpty());
        }
        SCOPED_TRACE(family.name);
        DirtyKeys().clear();
        ASSERT_TRUE(Load(family.part, header + Filled("{a}={va}\n{b} = {vb}\n", family))) << Warning();
        EXPECT_EQ(testsupport::Shown(family.list, family.a), family.va);
        EXPECT_EQ(DirtyKeys(), (DirtyKeySet{family.a, family.b}));
    }
}

}  // namespace
