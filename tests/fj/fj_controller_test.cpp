// The driver's work that needs no controller: import, the error-code file, the write loop, fault records.
#include "fj/fj_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "core/hex_text.h"
#include "core/param_registry.h"
#include "core/payload_cipher.h"
#include "fj/fault_records.h"
#include "fj/value_table.h"
#include "serial/serial_port.h"
#include "tests/fj/fj_test_support.h"
#include "tests/support/fake_prompter.h"
#include "tests/support/families.h"
#include "tests/support/log_capture.h"
#include "tests/support/temp_dir.h"

namespace {

using fjtest::Packet;
using testing::ElementsAre;

class FjController : public testsupport::FreshFamilies {
protected:
    static FJ::FjValueTable& Table() { return FJ::FjValueTable::Instance(); }

    // A backup file whose [Data] lines carry the records, enciphered as the backup writer does.
    std::string DataFile(const std::vector<std::string>& payloads) {
        std::string content = "[FILE]\nControllerType=FJ\nType=Backup\n\n[Data]\n";
        for (size_t i = 0; i < payloads.size(); ++i)
            content += "d" + std::to_string(i) + "=" + payloads[i] + "\n";
        const auto path = dir_ / "backup.vtdata";
        testsupport::WriteFileBytes(path, content);
        return text::PathToUtf8(path);
    }
    static std::string Record(const Packet& packet) { return EncryptPayload(ToHex(packet)); }

    testsupport::TempDir dir_;
    testsupport::FakePrompter prompter_;
    FJ::FJController driver_;
};

// Write requests for 0F:1C = 0x1234, 0D:1F = 4000, and 7 for 0D:40 (index 64 of group 0D, which would
// land on 0E:00) and CD:00 (past the end of the table).
const Packet kWrite0F1C = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0F, 0x1C, 0x34, 0x12, 0xA8, 0xAF};
const Packet kWrite0D1F = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0D, 0x1F, 0xA0, 0x0F, 0xD9, 0xF0};
const Packet kWrite0D40 = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0D, 0x40, 0x07, 0x00, 0xFF, 0xFA};
const Packet kWriteCD00 = {0xEB, 0x90, 0x01, 0x07, 0x04, 0xCD, 0x00, 0x07, 0x00, 0x2B, 0xC7};

TEST_F(FjController, ImportMarksExactlyTheChangedIdsInsideTheTable) {
    Table().Set(0x0D, 0x1F, 4000);  // already what the file holds
    const auto file =
        DataFile({Record(kWrite0F1C), Record(kWrite0D1F), Record(kWrite0D40), Record(kWriteCD00)});
    EXPECT_TRUE(driver_.ImportDataFile(file));
    EXPECT_THAT(DirtyKeys(), ElementsAre(L"0F:1C"));
    EXPECT_EQ(Table().Get(0x0F, 0x1C), 0x1234);
    EXPECT_EQ(Table().Get(0x0E, 0x00), 0);
}

TEST_F(FjController, WriteSendsOnlyFjKeysInsideTheTableAndKeepsWhatWasNotConfirmed) {
    SerialPort::Instance().Close();
    DirtyKeys() = {L"0F:1C", L"CD:00", L"motorPeakSpeed"};
    testsupport::LogCapture log;
    // The port is closed: nothing is acknowledged.
    EXPECT_TRUE(driver_.WriteChangedParameters().confirmed.empty());
    std::vector<std::string> sent;
    for (const auto& line : log.Messages())
        if (line.rfind("[TX] ", 0) == 0) sent.push_back(line);
    EXPECT_THAT(sent, ElementsAre("[TX] 0xEB 0x90 0x01 0x07 0x04 0x0F 0x1C 0x00 0x00 0x65 0x39 "));
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0F:1C", L"CD:00", L"motorPeakSpeed"}));
}

// The first line is the header; a code not in the file, or no file, gives an empty record.
TEST(FjErrorCodes, FindsTheLineOfTheCode) {
    testsupport::TempDir dir;
    const auto file = dir / "fj-errors.csv";
    testsupport::WriteFileBytes(file,
                                "17,3,\"header\"\r\n\xEF\xBB\xBFNote: levels as on the faults page\r\n"
                                "17,3,\"Motor over temperature\",\"Motor hot\",\"Let it cool\"\r\n"
                                "18,2,\"Only a description\"\n");
    const std::pair<int32_t, const char*> cases[] = {
        {17, "17,3|Motor over temperature|Motor hot|Let it cool"},
        {18, "18,2|Only a description||"},
        {99, "0,0|||"},
    };
    for (const auto& [code, record] : cases) {
        const auto r = FJ::LookupErrorCodeIn(file, code);
        EXPECT_EQ(std::to_string(r.code) + "," + std::to_string(r.level) + "|" + r.text1 + "|" + r.text2 +
                      "|" + r.text3,
                  record);
    }
    EXPECT_EQ(FJ::LookupErrorCodeIn(dir / "none.csv", 17).code, 0);
}

// Historical records 1 and 10 as the table holds them; record 3 has a code but no level.
TEST_F(FjController, FaultRecordsAreViewsOfTheTable) {
    const std::pair<uint8_t, uint16_t> cells[] = {{0x0D, 2}, {0x0E, 11}, {0x0F, 4}, {0x10, 300}, {0x16, 9},
                                                  {0x31, 5}, {0x32, 23}, {0x33, 1}, {0x34, 7}};
    for (const auto& [index, value] : cells) Table().Set(0x0E, index, value);
    std::vector<std::array<int, 5>> rows;  // number, level, code, times, data
    for (const auto& r : FJ::FaultRecords(FJ::FaultTable::Historical))
        rows.push_back({r.number, r.level, r.code, r.times, r.data});
    EXPECT_EQ(rows, (std::vector<std::array<int, 5>>{{1, 2, 11, 4, 300}, {10, 5, 23, 1, 7}}));
}

}  // namespace
