// The faults page under Wine against the simulated FJ controller: its current and stored records as
// read over the line, described from the error-code file beside the program.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "app/app_ids.h"
#include "app/cards/faults_card.h"
#include "core/host.h"
#include "tests/app/win32/gui_harness.h"

namespace {

using Rows = std::vector<std::vector<std::wstring>>;

// The error-code file beside the test program, as a user's installation has it, for the length of a test.
class ErrorCodeFile {
public:
    ErrorCodeFile() : path_(host::ExecutableDirectory().value() / "FJ" / "fj-errors.csv") {
        std::filesystem::create_directories(path_.parent_path());
        std::ofstream(path_) << "Code,Level,Text1,Text2,Text3\n"
                                "17,3,\"Motor overtemperature\",\"x\",\"y\"\n"
                                "42,20,\"Low battery warning\",\"x\",\"y\"\n"
                                "11,2,\"Throttle fault\",\"x\",\"y\"\n";
    }
    ~ErrorCodeFile() { std::filesystem::remove_all(path_.parent_path()); }

private:
    std::filesystem::path path_;
};

TEST(FaultsPage, ListsTheFjControllersRecords) {
    ErrorCodeFile errors;
    testsupport::GuiHarness gui;
    ASSERT_TRUE(gui.StartAndConnect("[Probe]\nEV48-400-C=false\nTercel=false\n",
                                    testsupport::Variable("VANTREL_TEST_FJ_PORT")));
    gui.ClickNavigation("Faults");

    // The simulator's two active faults, and its three stored ones (numbers are table positions); a
    // code the file does not know has no description.
    EXPECT_EQ(testsupport::ListViewRows(gui.Control(app::kIdCurrentFaults)),
              (Rows{{L"1", L"17", L"3", L"258", L"Motor overtemperature"},
                    {L"2", L"42", L"20", L"7", L"Low battery warning"}}));
    EXPECT_EQ(testsupport::ListViewRows(gui.Control(app::kIdHistoricalFaults)),
              (Rows{{L"1", L"11", L"2", L"4", L"0", L"Throttle fault"},
                    {L"2", L"23", L"5", L"1", L"300", L""},
                    {L"3", L"17", L"1", L"2", L"9", L"Motor overtemperature"}}));
    EXPECT_THAT(testsupport::WindowText(gui.Control(app::kIdFaultLegend)),
                testing::StartsWith(L"FJ Fault Levels:\r\n1: "));
    gui.Finish();
}

}  // namespace
