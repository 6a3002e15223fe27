// Saving backups, the bytes of stored backups, and what a loaded file converts or marks.
#include "datafiles/data_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ev48400c/entry_lists.h"
#include "tercel/entry_lists.h"
#include "tests/datafiles/data_file_fixture.h"
#include "tests/support/entries.h"

namespace {

using namespace datafilestest;
using testing::ElementsAre;
using testing::HasSubstr;

using DataFile = DataFileTest;

TEST_F(DataFile, ProposesANameFromTheControllerAndTheTimeInItsBackupsFolder) {
    prompter_.saveFile.reset();
    datafiles::DataFileContext context = Context(kTercel);
    context.createBackupsFolder = true;
    EXPECT_FALSE(datafiles::SaveBackup(context, kJuly8));
    ASSERT_EQ(prompter_.dialogs.size(), 1u);
    EXPECT_EQ(prompter_.dialogs[0].proposedName, "Vantrel-Tercel-Backup-20250708_140509.vtdata");
    EXPECT_EQ(prompter_.dialogs[0].initialDirectory, dir_.Path() / "Tercel" / "backups");
    EXPECT_TRUE(std::filesystem::is_directory(dir_.Path() / "Tercel" / "backups"));
}

TEST_F(DataFile, APathPastItsLimitWritesNothing) {
    // The backups path of an FJ controller adds exactly this much to the executable folder.
    const size_t added = std::string("/FJ/backups/Vantrel-FJ-Backup-20250708_140509.vtdata").size();
    const size_t fits = datafiles::kMaxPathLength - added - text::PathToUtf8(dir_.Path()).size() - 2;
    for (const size_t length : {fits + 1, fits}) {
        SCOPED_TRACE(length);
        datafiles::DataFileContext context = Context(kFj);
        context.createBackupsFolder = true;
        context.executableDirectory = dir_.Path() / std::string(length, 'x');
        prompter_.saveFile = dir_ / "backup.vtdata";
        prompter_.messages.clear();
        const bool saved = datafiles::SaveBackup(context, kJuly8);
        EXPECT_EQ(saved, length == fits);
        EXPECT_EQ(std::filesystem::exists(dir_ / "backup.vtdata"), saved);
        EXPECT_EQ(std::filesystem::exists(context.executableDirectory), saved);
        if (!saved) {
            EXPECT_THAT(prompter_.messages, ElementsAre(L"Warning: Path too long"));
        }
    }
}

TEST_F(DataFile, WithoutAFamilyNoDialogAndTheChosenFileKeepsItsText) {
    testsupport::WriteFileBytes(dir_ / "backup.vtdata", "precious");
    prompter_.saveFile = dir_ / "backup.vtdata";
    EXPECT_FALSE(datafiles::SaveBackup(Context(nullptr), kJuly8));
    EXPECT_THAT(prompter_.messages, ElementsAre(L"Warning: Controller Undefined - Cant Save"));
    EXPECT_TRUE(prompter_.dialogs.empty());
    EXPECT_EQ(testsupport::ReadFileBytes(dir_ / "backup.vtdata"), "precious");
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

// Files written by another installation with the same key, on either platform: the records are fixed
// text here, so both builds must read the same bytes into the same values, and write the same bytes.
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

}  // namespace
