// The command line without a controller: arguments, tables, one-line messages and data files.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/cli_prompter.h"
#include "cli/connection.h"
#include "cli/output.h"
#include "core/hex_text.h"
#include "core/payload_cipher.h"
#include "fj/packet_codec.h"
#include "tercel/command_codec.h"
#include "tests/cli/cli_run.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using clitest::CliRun;
using clitest::RunCommand;

size_t LineCount(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

struct UsageCase {
    const char* what;
    std::vector<std::string> args;
};

const UsageCase kUsageCases[] = {
    {"no command", {}},
    {"unknown command", {"flash"}},
    {"unknown family", {"probe", "--port", "COM3", "--family", "Zebra"}},
    {"set without a value", {"set", "--port", "COM3", "MaxSpeed"}},
    {"set with an empty name", {"set", "--port", "COM3", "=5"}},
    {"set without assignments", {"set", "--port", "COM3"}},
    {"backup without --out", {"backup", "--port", "COM3"}},
    {"load without --file", {"load", "--port", "COM3"}},
    {"inspect without a file", {"inspect"}},
    {"unknown option", {"read", "--port", "COM3", "--colour"}},
};

TEST(CliUsage, BadCommandLinesEndWithStatusOneAndOneLine) {
    for (const auto& c : kUsageCases) {
        SCOPED_TRACE(c.what);
        const CliRun run = RunCommand(c.args);
        EXPECT_EQ(run.status, cli::kExitUsage);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(LineCount(run.err), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("vantrel-cli: ", 0), 0u) << run.err;
    }
}

TEST(CliUsage, HelpAndVersionGoToStandardOutput) {
    const CliRun version = RunCommand({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("vantrel-cli ") + VANTREL_VERSION + "\n");
    for (const char* command : {"ports", "probe", "read", "faults", "backup", "load", "set", "inspect"}) {
        SCOPED_TRACE(command);
        const CliRun help = RunCommand({command, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_NE(help.out.find(std::string("vantrel-cli ") + command), std::string::npos) << help.out;
    }
}

TEST(CliOutput, ColumnsLineUpByCharactersNotBytes) {
    std::ostringstream out;
    cli::WriteTable(out, {"PARAMETER", "UNIT", "MAX"},
                    {{"Motor Temperature",
                      "\xC2\xB0"
                      "C",
                      "150"},
                     {"Kp", "", ""}});
    EXPECT_EQ(out.str(),
              "PARAMETER          UNIT  MAX\n"
              "Motor Temperature  \xC2\xB0"
              "C    150\n"
              "Kp\n");
}

struct OneLineCase {
    const wchar_t* text;
    const char* line;
};

const OneLineCase kOneLineCases[] = {
    {L"The file is damaged and was not loaded:\n/tmp/a.vtdata",
     "The file is damaged and was not loaded: /tmp/a.vtdata"},
    {L"first\r\n\r\nsecond\n", "first second"},
    {L"Vantrel  :  0.1.0", "Vantrel  :  0.1.0"},
    {L"ends with a blank \n", "ends with a blank"},
};

TEST(CliPrompter, MessageBoxesBecomeOneLine) {
    for (const auto& c : kOneLineCases) {
        SCOPED_TRACE(c.line);
        EXPECT_EQ(cli::OneLine(c.text), c.line);
    }
    cli::CliPrompter prompter;
    CurrentPrompter().ShowMessage(L"Incorrect Controller Type:\nFJ", L"Warning", MessageIcon::Warning);
    EXPECT_EQ(prompter.LastMessageText(), "Incorrect Controller Type: FJ");
    EXPECT_TRUE(CurrentPrompter().Confirm(L"Write?", L"Warning"));
    EXPECT_EQ(CurrentPrompter().ChooseOpenFile({}), std::nullopt);
    prompter.SetOpenFile("profile.vtdata");
    EXPECT_EQ(CurrentPrompter().ChooseOpenFile({}), std::filesystem::path("profile.vtdata"));
}

std::string BackupText(const std::string& family, const std::string& records) {
    return "[Vantrel]\nVersion=Vantrel  :  0.1.0\nContact=support@vantrel.example\n[Customer]\nName=Cart 7\n"
           "[FILE]\nControllerType=" +
           family + "\nName=x.vtdata\nDate=20250708_140509\nType=Backup\n[Data]\n" + records;
}

std::string Record(const char* key, const std::vector<uint8_t>& frame) {
    return std::string(key) + "=" + EncryptPayload(ToHex(frame)) + "\n";
}

nlohmann::json InspectJson(const std::filesystem::path& file, int expectedStatus) {
    const CliRun run = RunCommand({"inspect", file.string(), "--json"});
    EXPECT_EQ(run.status, expectedStatus) << run.err;
    return nlohmann::json::parse(run.out);
}

TEST(CliInspect, DecodesEachRecordAndNamesTheDamagedOnes) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    // 4500 = 0x1194 travels low byte first.
    std::vector<uint8_t> badCrc = FJ::BuildWriteRequest(0x0D, 0x1F, 4500);
    badCrc.back() ^= 0xFF;
    testsupport::WriteFileBytes(
        folder / "fj.vtdata",
        BackupText("FJ", Record("d0", FJ::BuildWriteRequest(0x0D, 0x1F, 4500)) + "d1=ZZ\n" +
                             Record("d2", badCrc) + Record("d3", FJ::BuildReadRequest(0x0D, 0x1F))));
    const auto fj = InspectJson(folder / "fj.vtdata", cli::kExitRefused);
    EXPECT_EQ(fj["header"]["Customer"], "Cart 7");
    EXPECT_EQ(fj["header"]["ControllerType"], "FJ");
    ASSERT_EQ(fj["records"].size(), 4u);
    EXPECT_EQ(fj["records"][0]["frame"], "EB 90 01 07 04 0D 1F 94 11 11 66");
    EXPECT_EQ(fj["records"][0]["target"].get<std::string>().substr(0, 5), "0D:1F");
    EXPECT_EQ(fj["records"][0]["value"], "4500");
    EXPECT_TRUE(fj["records"][0]["damaged"].is_null());
    EXPECT_EQ(fj["records"][1]["damaged"], "it does not decipher");
    EXPECT_EQ(fj["records"][2]["damaged"], "its CRC does not match");
    EXPECT_EQ(fj["records"][3]["damaged"], "it is not an FJ write request");

    // Register 2878 = 0x0B3E, 6000 = 0x1770.
    Frame badSum = Tercel::BuildWriteFrame(2878, 6000);
    badSum.back() ^= 0x01;
    testsupport::WriteFileBytes(
        folder / "tercel.vtdata",
        BackupText("Tercel", Record("d0", Tercel::BuildWriteFrame(2878, 6000)) + Record("d1", badSum)));
    const auto tercel = InspectJson(folder / "tercel.vtdata", cli::kExitRefused);
    ASSERT_EQ(tercel["records"].size(), 2u);
    EXPECT_EQ(tercel["records"][0]["frame"], "2B 05 07 02 3E 0B 00 00 70 17 22");
    EXPECT_EQ(tercel["records"][0]["target"], "2878 2.01.09 : Motor Maximum RPM");
    EXPECT_EQ(tercel["records"][0]["value"], "6000");
    EXPECT_EQ(tercel["records"][1]["damaged"], "its checksum does not match");
}

TEST(CliInspect, RefusesFilesThatAreNotDataFiles) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    testsupport::WriteFileBytes(folder / "other.ini", "[FILE]\nControllerType=Toaster\nType=Backup\n");
    testsupport::WriteFileBytes(folder / "odd.vtdata", "[FILE]\nControllerType=FJ\nType=Recipe\n");
    const struct {
        std::filesystem::path file;
        const char* says;
    } cases[] = {
        {folder / "missing.vtdata", "cannot read"},
        {folder / "other.ini", "unknown controller type 'Toaster'"},
        {folder / "odd.vtdata", "unknown file type 'Recipe'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.says);
        const CliRun run = RunCommand({"inspect", c.file.string()});
        EXPECT_EQ(run.status, cli::kExitRefused);
        EXPECT_EQ(LineCount(run.err), 1u) << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
    }
}

struct RawCase {
    const char* what;
    std::vector<std::string> args;
    int status;
    const char* out;
};

// Tercel's checksum makes bytes 1 .. n-1 add up to 0: C0 + 40 = 100.
const RawCase kRawCases[] = {
    {"checksum written in",
     {"raw", "--family", "tercel", "--fix", "2B", "C0", "00"},
     0,
     "TX 2B C0 40\nMCB_CMD_GETINFO\n"},
    {"unspaced hex", {"raw", "--family", "Tercel", "2bc040"}, 0, "TX 2bc040\nMCB_CMD_GETINFO\n"},
    {"wrong checksum not sent",
     {"raw", "--family", "tercel", "--send", "2B C0 41"},
     3,
     "TX 2B C0 41\nInvalid Checksum\n"},
    {"without a family", {"raw", "2B", "C0", "40"}, 1, ""},
};

TEST(CliRaw, ChecksAndFixesFramesBeforeAnythingIsSent) {
    testsupport::LogCapture log;
    for (const auto& c : kRawCases) {
        SCOPED_TRACE(c.what);
        const CliRun run = RunCommand(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

}  // namespace
