// The command line without a controller: arguments, one-line messages, inspect and raw frames.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "cli/cli_app.h"
#include "cli/cli_prompter.h"
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
    // The words of each command line; the last is raw without a family.
    for (const char* line : {"", "flash", "probe --port COM3 --family Zebra", "set --port COM3 MaxSpeed",
                             "set --port COM3 =5", "set --port COM3", "backup --port COM3",
                             "load --port COM3", "inspect", "read --port COM3 --colour", "raw 2B C0 40"}) {
        SCOPED_TRACE(line);
        std::vector<std::string> args;
        std::istringstream words(line);
        for (std::string word; words >> word;) args.push_back(word);
        const CliRun run = RunCommand(args);
        EXPECT_EQ(run.status, cli::kExitUsage);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(LineCount(run.err), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("vantrel-cli: ", 0), 0u) << run.err;
    }
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

std::string Record(const char* key, const std::vector<uint8_t>& frame) {
    return std::string(key) + "=" + EncryptPayload(ToHex(frame)) + "\n";
}

TEST(CliInspect, DecodesEachRecordAndNamesTheDamagedOnes) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    Frame badSum = Tercel::BuildWriteFrame(2878, 4500);
    badSum.back() ^= 0x01;
    const struct {
        const char* family;
        std::string records;
        const char* target;
        const char* damage;
    } cases[] = {
        {"FJ", Record("d0", FJ::BuildWriteRequest(0x0D, 0x1F, 4500)) + "d1=ZZ\n",
         "0D:1F H Gear - Forward Maximum Speed", "it does not decipher"},
        {"Tercel", Record("d0", Tercel::BuildWriteFrame(2878, 4500)) + Record("d1", badSum),
         "2878 2.01.09 : Motor Maximum RPM", "its checksum does not match"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.family);
        testsupport::WriteFileBytes(
            folder / "backup.vtdata",
            std::string("[FILE]\nControllerType=") + c.family + "\nType=Backup\n[Data]\n" + c.records);
        const CliRun run = RunCommand({"inspect", (folder / "backup.vtdata").string(), "--json"});
        EXPECT_EQ(run.status, cli::kExitRefused) << run.err;
        const auto records = nlohmann::json::parse(run.out)["records"];
        ASSERT_EQ(records.size(), 2u);
        EXPECT_EQ(records[0]["target"], c.target);
        EXPECT_EQ(records[0]["value"], "4500");
        EXPECT_TRUE(records[0]["damaged"].is_null());
        EXPECT_EQ(records[1]["damaged"], c.damage);
    }
}

TEST(CliInspect, RefusesFilesThatAreNotDataFiles) {
    testsupport::LogCapture log;
    testsupport::TempDir folder;
    const std::pair<const char*, const char*> cases[] = {
        {nullptr, "cannot read"},
        {"[FILE]\nControllerType=Toaster\nType=Backup\n", "unknown controller type 'Toaster'"},
        {"[FILE]\nControllerType=FJ\nType=Recipe\n", "unknown file type 'Recipe'"},
    };
    for (const auto& [text, says] : cases) {
        SCOPED_TRACE(says);
        if (text) testsupport::WriteFileBytes(folder / "file.vtdata", text);
        const CliRun run = RunCommand({"inspect", (folder / "file.vtdata").string()});
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

// An empty frame, or one longer than any frame of its family, is refused on one line before a fix, the
// family's own check or the port is reached; the longest frame is the family's to judge.
TEST(CliRaw, EmptyAndOverlongFramesAreRefusedOnOneLine) {
    testsupport::LogCapture log;
    for (const auto& [family, longest] :
         {std::pair<std::string, size_t>{"EV48-400-C", 55}, {"FJ", 11}, {"Tercel", 39}}) {
        const std::string overlong = "the frame has " + std::to_string(longest + 1) +
                                     " bytes where the longest " + family + " frame has " +
                                     std::to_string(longest);
        for (const auto& [frame, says] : {std::pair<std::string, std::string>{"", "the frame is empty"},
                                          {" ", "the frame is empty"},
                                          {std::string(2 * longest + 2, '0'), overlong}})
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
        const CliRun judged = RunCommand({"raw", "--family", family, std::string(2 * longest, '0')});
        EXPECT_EQ(judged.err.find("longest"), std::string::npos) << judged.err;
        EXPECT_EQ(judged.out.rfind("TX ", 0), 0u) << judged.out;
    }
}

}  // namespace
