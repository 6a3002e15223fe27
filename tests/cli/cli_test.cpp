// The command line without a controller: arguments, tables, one-line messages, inspect and raw frames.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/cli_prompter.h"
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

TEST(CliUsage, BadCommandLinesEndWithStatusOneAndOneLine) {
    const std::vector<std::string> cases[] = {
        {},
        {"flash"},
        {"probe", "--port", "COM3", "--family", "Zebra"},
        {"set", "--port", "COM3", "MaxSpeed"},
        {"set", "--port", "COM3", "=5"},
        {"set", "--port", "COM3"},
        {"backup", "--port", "COM3"},
        {"load", "--port", "COM3"},
        {"inspect"},
        {"read", "--port", "COM3", "--colour"},
        {"raw", "2B", "C0", "40"},  // without a family
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(testing::PrintToString(args));
        const CliRun run = RunCommand(args);
        EXPECT_EQ(run.status, cli::kExitUsage);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(LineCount(run.err), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("vantrel-cli: ", 0), 0u) << run.err;
    }
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--version"}, {"backup", "--help"}}) {
        const CliRun asked = RunCommand(args);
        EXPECT_EQ(asked.status, 0);
        EXPECT_NE(asked.out.find("vantrel-cli"), std::string::npos) << asked.out;
        EXPECT_EQ(asked.err, "");
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

TEST(CliPrompter, MessageBoxesBecomeOneLine) {
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"The file is damaged and was not loaded:\n/tmp/a.vtdata",
         "The file is damaged and was not loaded: /tmp/a.vtdata"},
        {L"first\r\n\r\nsecond\n", "first second"},
        {L"Vantrel  :  0.1.0", "Vantrel  :  0.1.0"},
        {L"ends with a blank \n", "ends with a blank"},
    };
    for (const auto& [text, line] : cases) EXPECT_EQ(cli::OneLine(text), line);
}

std::string BackupText(const std::string& family, const std::string& records) {
    return "[FILE]\nControllerType=" + family + "\nType=Backup\n[Data]\n" + records;
}

std::string Record(const char* key, const std::vector<uint8_t>& frame) {
    return std::string(key) + "=" + EncryptPayload(ToHex(frame)) + "\n";
}

nlohmann::json InspectJson(const std::filesystem::path& file) {
    const CliRun run = RunCommand({"inspect", file.string(), "--json"});
    EXPECT_EQ(run.status, cli::kExitRefused) << run.err;
    return nlohmann::json::parse(run.out);
}

TEST(CliInspect, DecodesEachRecordAndNamesTheDamagedOnes) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    // 4500 = 0x1194 travels low byte first.
    testsupport::WriteFileBytes(
        folder / "fj.vtdata",
        BackupText("FJ", Record("d0", FJ::BuildWriteRequest(0x0D, 0x1F, 4500)) + "d1=ZZ\n"));
    const auto fj = InspectJson(folder / "fj.vtdata");
    ASSERT_EQ(fj["records"].size(), 2u);
    EXPECT_EQ(fj["records"][0]["frame"], "EB 90 01 07 04 0D 1F 94 11 11 66");
    EXPECT_EQ(fj["records"][0]["value"], "4500");
    EXPECT_TRUE(fj["records"][0]["damaged"].is_null());
    EXPECT_EQ(fj["records"][1]["damaged"], "it does not decipher");

    // Register 2878 = 0x0B3E, 6000 = 0x1770.
    Frame badSum = Tercel::BuildWriteFrame(2878, 6000);
    badSum.back() ^= 0x01;
    testsupport::WriteFileBytes(
        folder / "tercel.vtdata",
        BackupText("Tercel", Record("d0", Tercel::BuildWriteFrame(2878, 6000)) + Record("d1", badSum)));
    const auto tercel = InspectJson(folder / "tercel.vtdata");
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
    const std::pair<std::filesystem::path, const char*> cases[] = {
        {folder / "missing.vtdata", "cannot read"},
        {folder / "other.ini", "unknown controller type 'Toaster'"},
        {folder / "odd.vtdata", "unknown file type 'Recipe'"},
    };
    for (const auto& [file, says] : cases) {
        SCOPED_TRACE(says);
        const CliRun run = RunCommand({"inspect", file.string()});
        EXPECT_EQ(run.status, cli::kExitRefused);
        EXPECT_EQ(LineCount(run.err), 1u) << run.err;
        EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
    }
}

// Tercel's checksum makes bytes 1 .. n-1 add up to 0: C0 + 40 = 100.
TEST(CliRaw, ChecksAndFixesFramesBeforeAnythingIsSent) {
    testsupport::LogCapture log;
    const struct {
        std::vector<std::string> args;
        int status;
        const char* out;
    } cases[] = {
        {{"raw", "--family", "tercel", "--fix", "2B", "C0", "00"}, 0, "TX 2B C0 40\nMCB_CMD_GETINFO\n"},
        {{"raw", "--family", "Tercel", "2bc040"}, 0, "TX 2bc040\nMCB_CMD_GETINFO\n"},
        {{"raw", "--family", "tercel", "--send", "2B C0 41"}, 3, "TX 2B C0 41\nInvalid Checksum\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const CliRun run = RunCommand(c.args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, c.out);
    }
}

// An empty frame, or one longer than any frame of its family, is refused on one line before the
// family's own check or the port is reached; the longest frame is the family's to judge.
TEST(CliRaw, EmptyAndOverlongFramesAreRefusedOnOneLine) {
    testsupport::LogCapture log;
    const std::pair<std::string, size_t> families[] = {{"EV48-400-C", 55}, {"FJ", 11}, {"Tercel", 39}};
    for (const auto& [family, longest] : families) {
        const auto zeros = [](size_t bytes) { return std::string(2 * bytes, '0'); };
        const std::pair<std::string, std::string> refused[] = {
            {"", "the frame is empty"},
            {" ", "the frame is empty"},
            {zeros(longest + 1), "the frame has " + std::to_string(longest + 1) +
                                     " bytes where the longest " + family + " frame has " +
                                     std::to_string(longest)}};
        for (const auto& [frame, says] : refused)
            for (const bool fix : {false, true}) {
                SCOPED_TRACE(family + " " + says + (fix ? " --fix" : ""));
                std::vector<std::string> args = {"raw", "--family", family, frame};
                if (fix) args.insert(args.begin() + 3, "--fix");
                const CliRun run = RunCommand(args);
                EXPECT_EQ(run.status, cli::kExitRefused);
                EXPECT_EQ(run.out, "");
                EXPECT_EQ(LineCount(run.err), 1u) << run.err;
                EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
            }
        const CliRun judged = RunCommand({"raw", "--family", family, zeros(longest)});
        EXPECT_EQ(judged.err.find("longest"), std::string::npos) << judged.err;
        EXPECT_EQ(judged.out.rfind("TX ", 0), 0u) << judged.out;
    }
}

}  // namespace
