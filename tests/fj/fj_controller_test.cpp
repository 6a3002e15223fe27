// The driver's work that needs no controller: data-file import, the error-code file, the write loop's
// choices and the fault records.
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
using testing::IsEmpty;

class FjController : public testing::Test {
protected:
    void SetUp() override { testsupport::ResetFamilies(); }
    void TearDown() override { testsupport::ResetFamilies(); }
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

TEST_F(FjController, ImportOfADamagedFileChangesNothing) {
    const auto file = DataFile({Record(kWrite0F1C), "0123456789ABCDEZ"});
    EXPECT_FALSE(driver_.ImportDataFile(file));
    EXPECT_EQ(Table().Get(0x0F, 0x1C), 0);
    EXPECT_THAT(DirtyKeys(), IsEmpty());

    EXPECT_FALSE(driver_.ImportDataFile(DataFile({})));
    EXPECT_FALSE(driver_.ImportDataFile(text::PathToUtf8(dir_ / "missing.vtdata")));
}

TEST_F(FjController, WriteSendsOnlyFjKeysInsideTheTableAndKeepsWhatWasNotConfirmed) {
    SerialPort::Instance().Close();
    DirtyKeys() = {L"0F:1C", L"CD:00", L"motorPeakSpeed"};
    testsupport::LogCapture log;
    // The port is closed: nothing is acknowledged.
    const WriteOutcome outcome = driver_.WriteChangedParameters();
    EXPECT_TRUE(outcome.confirmed.empty());
    EXPECT_FALSE(outcome.AllConfirmed());
    std::vector<std::string> sent;
    for (const auto& line : log.Messages())
        if (line.rfind("[TX] ", 0) == 0) sent.push_back(line);
    EXPECT_THAT(sent, ElementsAre("[TX] 0xEB 0x90 0x01 0x07 0x04 0x0F 0x1C 0x00 0x00 0x65 0x39 "));
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0F:1C", L"CD:00", L"motorPeakSpeed"}));
}

class FjErrorCodes : public testing::Test {
protected:
    FJ::ErrorCodeRecord Lookup(const std::string& content, int32_t code) {
        testsupport::WriteFileBytes(dir_ / "fj-errors.csv", content);
        return FJ::LookupErrorCodeIn(dir_ / "fj-errors.csv", code);
    }
    testsupport::TempDir dir_;
};

const char kErrorFile[] =
    "\xEF\xBB\xBF"
    "Code,Level,Description,Cause,Remedy\r\n"
    "\r\n"
    "Note: levels as on the faults page\r\n"
    "\xEF\xBB\xBF"
    "5,1,\"not this one\",\"\",\"\"\r\n"
    "17,3,\"Motor over temperature\",\"Motor hot\",\"Let it cool\"\r\n"
    "18,2,\"Only a description\"\r\n"
    "19,20,\",x\",\"\"\"\r\n"
    "20,abc,Plain text,\"with, comma\",last,part\n";

TEST_F(FjErrorCodes, ReadsOrdinaryCsvLines) {
    struct Case {
        int32_t code;
        int32_t level;
        const char* text1;
        const char* text2;
        const char* text3;
    };
    const Case cases[] = {
        {17, 3, "Motor over temperature", "Motor hot", "Let it cool"},
        {18, 2, "Only a description", "", ""},
        {19, 20, "\"", "x\"", "\""},  // a lone quote is no pair of quotes
        {20, 0, "Plain text", "\"with", " comma\",last,part"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        const auto record = Lookup(kErrorFile, c.code);
        EXPECT_EQ(record.code, c.code);
        EXPECT_EQ(record.level, c.level);
        EXPECT_EQ(record.text1, c.text1);
        EXPECT_EQ(record.text2, c.text2);
        EXPECT_EQ(record.text3, c.text3);
    }
}

TEST_F(FjErrorCodes, MissingCodeOrFileGivesAnEmptyRecord) {
    const auto unknown = Lookup(kErrorFile, 99);
    EXPECT_EQ(unknown.code, 0);
    EXPECT_EQ(unknown.text1, "");
    const auto header = Lookup("17,3,\"header\"\n", 17);  // the first line is always the header
    EXPECT_EQ(header.code, 0);
    const auto missing = FJ::LookupErrorCodeIn(dir_ / "none.csv", 17);
    EXPECT_EQ(missing.code, 0);
}

TEST_F(FjController, FaultRecordsAreViewsOfTheTable) {
    // current record 2 and 9, and record 1 with a code but no level
    for (const auto& [index, value] : std::vector<std::pair<uint8_t, uint16_t>>{
             {0x04, 9}, {0x06, 3}, {0x07, 17}, {0x08, 258}, {0x1B, 1}, {0x1C, 5}, {0x1D, 6}})
        Table().Set(0x0D, index, value);
    // historical record 1 and 10
    for (const auto& [index, value] : std::vector<std::pair<uint8_t, uint16_t>>{
             {0x0D, 2}, {0x0E, 11}, {0x0F, 4}, {0x10, 300}, {0x31, 5}, {0x32, 23}, {0x33, 1}, {0x34, 7}})
        Table().Set(0x0E, index, value);

    const auto records = [](FJ::FaultTable table) {
        std::vector<std::array<int, 5>> rows;  // number, level, code, times, data
        for (const auto& r : FJ::FaultRecords(table))
            rows.push_back({r.number, r.level, r.code, r.times, r.data});
        return rows;
    };
    EXPECT_EQ(records(FJ::FaultTable::Current),
              (std::vector<std::array<int, 5>>{{2, 3, 17, 0, 258}, {9, 1, 5, 0, 6}}));
    EXPECT_EQ(records(FJ::FaultTable::Historical),
              (std::vector<std::array<int, 5>>{{1, 2, 11, 4, 300}, {10, 5, 23, 1, 7}}));
}

}  // namespace
