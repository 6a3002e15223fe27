// vantrel-cli raw: a frame that is empty, or longer than any frame of its family, is refused on one
// line before the family's own check or the port is reached.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_app.h"
#include "tests/cli/cli_run.h"
#include "tests/support/log_capture.h"

namespace {

std::string Zeros(size_t bytes) {
    std::string hex;
    for (size_t i = 0; i < bytes; ++i) hex += "00";
    return hex;
}

TEST(RawBounds, EmptyAndOverlongFramesAreRefusedOnOneLine) {
    testsupport::LogCapture log;
    const struct {
        const char* family;
        size_t longest;
    } families[] = {{"EV48-400-C", 55}, {"FJ", 11}, {"Tercel", 39}};
    for (const auto& family : families) {
        SCOPED_TRACE(family.family);
        for (const auto& [frame, says] : std::vector<std::pair<std::string, std::string>>{
                 {"", "the frame is empty"},
                 {" ", "the frame is empty"},
                 {Zeros(family.longest + 1), "the frame has " + std::to_string(family.longest + 1) +
                                                 " bytes where the longest " + family.family + " frame has " +
                                                 std::to_string(family.longest)}}) {
            for (const bool fix : {false, true}) {
                std::vector<std::string> args = {"raw", "--family", family.family};
                if (fix) args.push_back("--fix");
                args.push_back(frame);
                const clitest::CliRun run = clitest::RunCommand(args);
                EXPECT_EQ(run.status, cli::kExitRefused);
                EXPECT_EQ(run.out, "");
                EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
                EXPECT_NE(run.err.find(says), std::string::npos) << run.err;
            }
        }
        // The longest frame is the family's to judge.
        const clitest::CliRun longest =
            clitest::RunCommand({"raw", "--family", family.family, Zeros(family.longest)});
        EXPECT_EQ(longest.err.find("longest"), std::string::npos) << longest.err;
        EXPECT_EQ(longest.out.rfind("TX ", 0), 0u) << longest.out;
    }
}

}  // namespace
