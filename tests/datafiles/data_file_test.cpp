// Backups and profiles without a controller: names and refusals, the layout of a backup, round trips
// through a file, and damaged files that must change nothing.
#include "datafiles/data_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "core/log.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "core/text.h"
#include "ev48400c/message_store.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"
#include "tests/ev48400c/test_frames.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"
#include "tests/tercel/test_support.h"

namespace {

using datafiles::DataFileContext;
using Part = const datafiles::DataFilePart*;
const Part kFj = &datafiles::kFjDataFile;
const Part kTercel = &datafiles::kTercelDataFile;
const Part kEv = &datafiles::kEv48400cDataFile;
using testing::ElementsAre;
using testing::HasSubstr;
using testing::IsEmpty;

const host::LocalTime kJuly8 = {2025, 7, 8, 14, 5, 9, 0};

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    return lines;
}

std::string After(const std::string& text, const std::string& marker) {
    const size_t at = text.find(marker);
    return at == std::string::npos ? std::string() : text.substr(at + marker.size());
}

class DataFile : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }

    DataFileContext Context(Part family) const {
        DataFileContext context;
        context.part = family;
        context.executableDirectory = dir_.Path();
        return context;
    }
    // Saves through the dialog into file and gives the text written.
    std::string Save(Part family, const std::string& file = "backup.vtdata") {
        prompter_.saveFile = dir_ / file;
        EXPECT_TRUE(datafiles::SaveBackup(Context(family), kJuly8));
        return testsupport::ReadFileBytes(dir_ / file);
    }
    bool Load(Part family, const std::filesystem::path& file) {
        prompter_.openFile = file;
        return datafiles::LoadDataFile(Context(family));
    }
    // A backup holds only values within their limits: none is left below its minimum.
    static void RaiseToTheirMinimum(const std::vector<datafiles::TabLayout>& layout) {
        for (const auto& tab : layout)
            for (const EntryList* list : datafiles::SectionLists(tab.sections))
                for (const auto& entry : *list) {
                    const auto value = text::ParseLeadingDouble(entry.getter(entry.owner));
                    const auto minimum = text::ParseLeadingDouble(text::WideToUtf8(entry.minValue));
                    if (!entry.readOnly && value && minimum && *value < *minimum)
                        entry.setter(entry.owner, text::WideToUtf8(entry.minValue));
                }
    }
    std::filesystem::path Write(const std::string& name, const std::string& text) {
        testsupport::WriteFileBytes(dir_ / name, text);
        return dir_ / name;
    }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
};

TEST_F(DataFile, ProposesANameFromTheControllerAndTheTime) {
    prompter_.saveFile.reset();
    EXPECT_FALSE(datafiles::SaveBackup(Context(kTercel), kJuly8));
    ASSERT_EQ(prompter_.dialogs.size(), 1u);
    const FileDialogRequest& dialog = prompter_.dialogs.front();
    EXPECT_EQ(dialog.proposedName, "Vantrel-Tercel-Backup-20250708_140509.vtdata");
    EXPECT_EQ(dialog.initialDirectory, dir_.Path() / "Tercel" / "backups");
    EXPECT_TRUE(std::filesystem::is_directory(dir_.Path() / "Tercel" / "backups"));
}

TEST_F(DataFile, TooLongAPathWritesNothing) {
    DataFileContext context = Context(kFj);
    // The backups path of an FJ controller adds exactly this much to the executable folder.
    const size_t added = std::string("/FJ/backups/Vantrel-FJ-Backup-20250708_140509.vtdata").size();
    const size_t folderLength = text::PathToUtf8(dir_.Path()).size() + 1;
    context.executableDirectory =
        dir_.Path() / std::string(datafiles::kMaxPathLength - added - folderLength, 'x');
    prompter_.saveFile = dir_ / "backup.vtdata";
    testsupport::LogCapture log;
    EXPECT_FALSE(datafiles::SaveBackup(context, kJuly8));
    EXPECT_THAT(prompter_.messages, ElementsAre(L"Warning: Path too long"));
    EXPECT_TRUE(prompter_.dialogs.empty());
    EXPECT_FALSE(std::filesystem::exists(context.executableDirectory));
    EXPECT_FALSE(std::filesystem::exists(dir_ / "backup.vtdata"));
    ASSERT_FALSE(log.Messages().empty());
    EXPECT_THAT(log.Messages().front(), HasSubstr("Path too long: "));

    // One character shorter fits.
    prompter_.messages.clear();
    context.executableDirectory =
        dir_.Path() / std::string(datafiles::kMaxPathLength - added - folderLength - 1, 'x');
    EXPECT_TRUE(datafiles::SaveBackup(context, kJuly8));
}

TEST_F(DataFile, NoFamilyNoDialogAndTheChosenFileKeepsItsText) {
    Write("backup.vtdata", "precious");
    prompter_.saveFile = dir_ / "backup.vtdata";
    EXPECT_FALSE(datafiles::SaveBackup(Context(nullptr), kJuly8));
    EXPECT_THAT(prompter_.messages, ElementsAre(L"Warning: Controller Undefined - Cant Save"));
    EXPECT_TRUE(prompter_.dialogs.empty());
    EXPECT_EQ(testsupport::ReadFileBytes(dir_ / "backup.vtdata"), "precious");
}

TEST_F(DataFile, BackupBeginsWithTheCommonHeader) {
    FJ::BuildEntryLists();
    DataFileContext context = Context(kFj);
    // A name given on the command line may hold line breaks; it must not start lines of its own.
    context.customerName = "Ada Garage\n[Data]\nd0=00";
    prompter_.saveFile = dir_ / "backup.vtdata";
    testsupport::LogCapture log;
    ASSERT_TRUE(datafiles::SaveBackup(context, kJuly8));
    const std::string path = text::PathToUtf8(dir_ / "backup.vtdata");
    const auto lines = Lines(testsupport::ReadFileBytes(dir_ / "backup.vtdata"));
    ASSERT_GE(lines.size(), 16u);
    EXPECT_THAT(
        std::vector<std::string>(lines.begin(), lines.begin() + 15),
        ElementsAre("; WARNING - DO NOT EDIT THIS FILE",
                    "; Changes will prevent loading and you will lose ability to recover.", "", "[Vantrel]",
                    std::string("Version=Vantrel  :  ") + VANTREL_VERSION, "Contact=support@vantrel.example",
                    "", "[Customer]", "Name=Ada Garage [Data] d0=00", "", "[FILE]", "ControllerType=FJ",
                    "Name=" + path, "Date=20250708_140509", "Type=Backup"));
    EXPECT_TRUE(log.Contains("Wrote: " + path));
    EXPECT_EQ(text::WideToUtf8(GetStatus()), "Wrote: " + path);
    EXPECT_FALSE(std::filesystem::exists(dir_ / "backup.vtdata.tmp"));
}

TEST_F(DataFile, FjBackupCarriesEveryTuningAndSinkValueExactly) {
    FJ::BuildEntryLists();
    auto& table = FJ::FjValueTable::Instance();
    table.Set(0x0C, 0x23, 45000);  // shown scaled as 4500.0
    table.Set(0x0C, 0x30, 2);      // shown by name
    table.Set(0x0D, 0x1F, 6000);   // its maximum
    RaiseToTheirMinimum(datafiles::FjLayout());
    const std::string text = Save(kFj);

    // Sixty-two records: the four tuning lists and the kitchen sink.
    const auto records = Lines(After(text, "[Data]\n"));
    ASSERT_EQ(records.size(), 62u);
    EXPECT_EQ(records.front().rfind("d0=", 0), 0u);
    EXPECT_EQ(records.back().rfind("d61=", 0), 0u);
    // The first record is the write request of the speed list's first entry, 0D:1F.
    EXPECT_EQ(DecryptPayload(records.front().substr(3)), ToHex(FJ::BuildWriteRequest(0x0D, 0x1F, 6000)));
    EXPECT_THAT(text, HasSubstr("\n[Tuning]\nH Gear - Forward Maximum Speed=6000\n"));
    EXPECT_THAT(text, HasSubstr("\n[Faults]\n\n"));

    table.Set(0x0C, 0x23, 12000);
    table.Set(0x0C, 0x30, 0);
    table.Set(0x0D, 0x1F, 100);
    DirtyKeys().clear();
    testsupport::LogCapture log;
    ASSERT_TRUE(Load(kFj, dir_ / "backup.vtdata"));
    EXPECT_EQ(table.Get(0x0C, 0x23), 45000);
    EXPECT_EQ(table.Get(0x0C, 0x30), 2);
    EXPECT_EQ(table.Get(0x0D, 0x1F), 6000);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0C:23", L"0C:30", L"0D:1F"}));
    EXPECT_TRUE(log.Contains("Controller Type: FJ"));
    EXPECT_TRUE(log.Contains("File Type: Backup"));
    EXPECT_EQ(text::WideToUtf8(GetStatus()), "Loaded FJ Backup: " + text::PathToUtf8(dir_ / "backup.vtdata"));
}

TEST_F(DataFile, DamagedRecordChangesNothing) {
    const struct {
        const char* what;
        Part family;
        std::string replacement;
        const char* reason;
    } cases[] = {
        {"FJ, not hex", kFj, "d5=ZZ", "record [Data] d5: it does not decipher"},
        {"FJ, hex inside not hex", kFj, "d5=" + EncryptPayload("0G"),
         "record [Data] d5: its text is not hex"},
        {"Tercel, cut short", kTercel, "d1=ABCD", "record [Data] d1: it does not decipher"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testsupport::ResetFamilies();
        FJ::BuildEntryLists();
        Tercel::SpeedControl speed;
        speed.BuildParamEntries();
        FJ::FjValueTable::Instance().Set(0x0D, 0x1F, 3000);
        Tercel::Registers()[3128] = 4000;
        std::string text = Save(c.family);
        const std::string key = c.replacement.substr(0, 3);
        const size_t at = text.find("\n" + key);
        ASSERT_NE(at, std::string::npos);
        text.replace(at + 1, text.find('\n', at + 1) - at - 1, c.replacement);
        const auto file = Write("damaged.vtdata", text);

        FJ::FjValueTable::Instance().Set(0x0D, 0x1F, 100);
        Tercel::Registers()[3128] = 100;
        prompter_.messages.clear();
        testsupport::LogCapture log;
        EXPECT_FALSE(Load(c.family, file));
        EXPECT_EQ(FJ::FjValueTable::Instance().Get(0x0D, 0x1F), 100);
        EXPECT_EQ(Tercel::Registers()[3128], 100);
        EXPECT_THAT(DirtyKeys(), IsEmpty());
        EXPECT_TRUE(log.Contains(std::string("Data file damaged: ") + c.reason));
        EXPECT_THAT(prompter_.messages, ElementsAre(L"Warning: The file is damaged and was not loaded:\n" +
                                                    file.wstring() + L"\n" + text::Utf8ToWide(c.reason)));
    }
}

TEST_F(DataFile, RefusesAnotherFamilysFileAndUnknownTypes) {
    const auto fjFile = Write("fj.vtdata", "[FILE]\nControllerType=FJ\nType=Backup\n");
    testsupport::LogCapture log;
    EXPECT_FALSE(Load(kEv, fjFile));
    EXPECT_THAT(prompter_.messages, ElementsAre(L"Warning: Incorrect Controller Type: FJ"));
    EXPECT_TRUE(log.Contains("Incorrect Controller Type: FJ"));

    prompter_.messages.clear();
    const auto odd = Write("odd.vtdata", "[FILE]\nControllerType=tercel\nType=Snapshot\n");
    EXPECT_FALSE(Load(kTercel, odd));
    EXPECT_THAT(prompter_.messages, ElementsAre(L"Warning: Unknown file type: Snapshot"));
    EXPECT_EQ(text::WideToUtf8(GetStatus()), "ERROR Loading Unknown File: " + text::PathToUtf8(odd));

    prompter_.openFile.reset();
    EXPECT_FALSE(datafiles::LoadDataFile(Context(kFj)));  // nothing chosen
}

TEST_F(DataFile, FjProfileInAnyCaseAppliesWholeOrNotAtAll) {
    FJ::BuildEntryLists();
    const std::string scaled = text::WideToUtf8(fjtest::Entry(L"0C:23").label);
    const std::string named = text::WideToUtf8(fjtest::Entry(L"0C:30").label);
    const std::string speed = text::WideToUtf8(fjtest::Entry(L"0D:1F").label);
    const auto profile = [&](const std::string& tuningExtra, const std::string& sinkExtra) {
        return Write("profile.vtdata", "[file]\ncontrollertype=fj\ntype=profile\n\n[Tuning]\n" + speed +
                                           "=4000\n" + named + "=2\n" + tuningExtra + "\n[Sink]\n" + scaled +
                                           "=4500.0\n" + sinkExtra);
    };
    auto& table = FJ::FjValueTable::Instance();
    // One line without its setting under its section refuses the whole profile: the speed entry is a
    // tuning entry, which the sink section does not reach.
    for (const auto& file : {profile("No Such Setting=5\n", ""), profile("", speed + "=10\n")}) {
        EXPECT_FALSE(Load(kFj, file));
        EXPECT_EQ(table.Get(0x0D, 0x1F), 0);
        EXPECT_THAT(DirtyKeys(), IsEmpty());
    }
    const auto file = profile("", "");
    EXPECT_TRUE(Load(kFj, file));
    EXPECT_EQ(table.Get(0x0D, 0x1F), 4000);
    EXPECT_EQ(table.Get(0x0C, 0x30), 2);
    EXPECT_EQ(table.Get(0x0C, 0x23), 45000);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0C:23", L"0C:30", L"0D:1F"}));
    EXPECT_EQ(text::WideToUtf8(GetStatus()), "Loaded FJ Profile: " + text::PathToUtf8(file));
}

TEST_F(DataFile, TercelBackupAndProfile) {
    Tercel::SpeedControl speed;
    speed.BuildParamEntries();
    Tercel::Vehicle vehicle;
    vehicle.BuildParamEntries();
    auto& registers = Tercel::Registers();
    registers[Tercel::kSpeedResponseModeRegister] = 1;
    registers[Tercel::kCurrentScaleRegister] = 1;
    registers[Tercel::kMaxCurrentRegister] = 32767;  // one ampere per count
    RaiseToTheirMinimum(datafiles::TercelLayout());
    registers[3140] = 250;
    registers[2600] = 1500;  // thousandths of a second
    const std::string text = Save(kTercel);
    EXPECT_THAT(text, HasSubstr("[Tuning]\n"));
    EXPECT_THAT(After(text, "[Tuning]\n"), HasSubstr("6.02.04 : High Speed - Forward Full Pedal="));
    // Only the Tercel tables: no foreign heading or list finds its way into the file.
    EXPECT_THAT(After(text, "[Tuning]\n").substr(0, After(text, "[Tuning]\n").find("\n\n")),
                testing::Not(HasSubstr("Hill")));

    registers[3140] = 10;
    registers[2600] = 10;
    ASSERT_TRUE(Load(kTercel, dir_ / "backup.vtdata"));
    EXPECT_EQ(registers[3140], 250);
    EXPECT_EQ(registers[2600], 1500);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2600", L"3140"}));

    DirtyKeys().clear();
    const std::string amps = text::WideToUtf8(terceltest::Entry(Tercel::kCurrentLimitList, L"3140").label);
    const std::string seconds =
        text::WideToUtf8(terceltest::Entry(Tercel::kAccelerationMode1List, L"2600").label);
    const auto profile = Write("profile.vtdata", "[File]\nControllerType=Tercel\nType=Profile\n[Tuning]\n" +
                                                     amps + "=120\n" + seconds + "=2.5\n");
    testsupport::LogCapture log;
    EXPECT_TRUE(Load(kTercel, profile));
    EXPECT_EQ(registers[3140], 120);
    EXPECT_EQ(registers[2600], 2500);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"2600", L"3140"}));
    EXPECT_TRUE(log.Contains("Key= " + amps + " : Value=120"));
}

TEST_F(DataFile, Ev48400cBackupRestoresEveryGroupAndADamagedOneRefusesTheFile) {
    using namespace EV48400C;
    const Frame mileage = ev48test::MakeFrame(51, {{6, 0xF4}, {7, 0x01}});
    const Frame pedal = ev48test::MakeFrame(53, {{14, 30}});
    ASSERT_TRUE(ParseInto(Messages().mileage, mileage));
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, pedal));
    const std::string text = Save(kEv);
    const size_t data = text.find("data=", text.find("[Accelerator]\n"));
    ASSERT_NE(data, std::string::npos);
    const auto damaged =
        Write("damaged.vtdata", text.substr(0, data + 5) + "ZZ" + text.substr(text.find('\n', data)));

    const Frame changedMileage = ev48test::MakeFrame(51, {{6, 0x10}, {7, 0x00}});
    const Frame changedPedal = ev48test::MakeFrame(53, {{14, 60}});
    ASSERT_TRUE(ParseInto(Messages().mileage, changedMileage));
    ASSERT_TRUE(ParseInto(Messages().acceleratorPedal, changedPedal));
    // A damaged group refuses the whole file: no group is taken from it.
    EXPECT_FALSE(Load(kEv, damaged));
    EXPECT_EQ(Messages().mileage->Serialize(), changedMileage);
    ASSERT_TRUE(Load(kEv, dir_ / "backup.vtdata"));
    EXPECT_EQ(Messages().mileage->Serialize(), mileage);
    EXPECT_EQ(Messages().acceleratorPedal->Serialize(), pedal);
    EXPECT_EQ(text::WideToUtf8(GetStatus()),
              "Loaded EV48-400-C Backup: " + text::PathToUtf8(dir_ / "backup.vtdata"));
}

// Files written by another installation with the same key, on either platform: the records are fixed
// text here, so both builds must read the same bytes into the same values.
TEST_F(DataFile, StoredFilesOfAnyInstallationLoad) {
    FJ::BuildEntryLists();
    const auto fj = Write("fj.vtdata",
                          "[FILE]\nControllerType=FJ\nType=Backup\n\n[Data]\n"
                          "d0=221942064FD998D3905EBE76A847CF96844BB257E577B328F2E4595698F8F215\n"
                          "d1=221942064FD998D3B8299C7B745C2B107B09BB9C6CC22667F2E4595698F8F215\n"
                          "d2=221942064FD998D322FFC2F42B9006C620751A591920B920F2E4595698F8F215\n");
    ASSERT_TRUE(Load(kFj, fj));
    auto& table = FJ::FjValueTable::Instance();
    EXPECT_EQ(table.Get(0x0C, 0x23), 45000);
    EXPECT_EQ(table.Get(0x0C, 0x30), 2);
    EXPECT_EQ(table.Get(0x0D, 0x1F), 4000);

    const auto tercel = Write("tercel.vtdata",
                              "[FILE]\nControllerType=Tercel\nType=Backup\n\n[Data]\n"
                              "d0=18BD1770ECA8DB2AAC9BD97655B7B2653CFE20172F085AC0F2E4595698F8F215\n"
                              "d1=18BD1770ECA8DB2AA836E0FB49E1D377C558823D4EDE66D4F2E4595698F8F215\n");
    ASSERT_TRUE(Load(kTercel, tercel));
    EXPECT_EQ(Tercel::Registers()[3140], 250);
    EXPECT_EQ(Tercel::Registers()[2600], 1500);
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0C:23", L"0C:30", L"0D:1F", L"2600", L"3140"}));

    // And each build writes those very bytes.
    EXPECT_THAT(Save(kFj), HasSubstr("=221942064FD998D3905EBE76A847CF96844BB257E577B328F2E4595698F8F215\n"));
}

}  // namespace
