// The driver's work that needs no controller: data-file import, the error-code file, the write loop's
// choices and the fault records.
#include "fj/fj_controller.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/hex_text.h"
#include "core/host.h"
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

// Write requests for 0F:1C = 0x1234, 0D:1F = 4000 and the address CD:00 = 7.
const Packet kWrite0F1C = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0F, 0x1C, 0x34, 0x12, 0xA8, 0xAF};
const Packet kWrite0D1F = {0xEB, 0x90, 0x01, 0x07, 0x04, 0x0D, 0x1F, 0xA0, 0x0F, 0xD9, 0xF0};
const Packet kWriteCD00 = {0xEB, 0x90, 0x01, 0x07, 0x04, 0xCD, 0x00, 0x07, 0x00, 0x2B, 0xC7};

TEST_F(FjController, ImportMarksExactlyTheChangedIds) {
    Table().Set(0x0D, 0x1F, 4000);  // already what the file holds
    const auto file = DataFile({Record(kWrite0F1C), Record(kWrite0D1F), Record(kWriteCD00)});
    testsupport::LogCapture log;
    EXPECT_TRUE(driver_.ImportDataFile(file));
    EXPECT_THAT(DirtyKeys(), ElementsAre(L"0F:1C"));
    EXPECT_EQ(Table().Get(0x0F, 0x1C), 0x1234);
    EXPECT_TRUE(log.Contains("FJ::read/write - group 205 or index 0 out of range"));
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
    fjtest::StatusTexts status;
    testsupport::LogCapture log;
    // The port is closed: nothing is acknowledged.
    EXPECT_FALSE(driver_.WriteChangedParameters().AllConfirmed());
    EXPECT_THAT(status.texts, ElementsAre("Writing FJ Parameters", "FJ Controller"));
    EXPECT_THAT(
        log.Messages(),
        ElementsAre("Writing FJ Parameters", "[TX] 0xEB 0x90 0x01 0x07 0x04 0x0F 0x1C 0x00 0x00 0x65 0x39 ",
                    "COM port not open", "FJ: the write of 0F:1C was not confirmed",
                    "FJ::read/write - group 205 or index 0 out of range",
                    "Not an FJ parameter, not written: motorPeakSpeed", "FJ Controller"));
    EXPECT_EQ(prompter_.pauses, std::vector<uint32_t>{100});
    EXPECT_EQ(DirtyKeys(), (DirtyKeySet{L"0F:1C", L"CD:00", L"motorPeakSpeed"}));
}

TEST_F(FjController, WriteWithNothingChangedSendsNothing) {
    fjtest::StatusTexts status;
    EXPECT_TRUE(driver_.WriteChangedParameters().AllConfirmed());
    EXPECT_THAT(status.texts, ElementsAre("Writing FJ Parameters", "FJ Controller"));
    EXPECT_THAT(prompter_.pauses, IsEmpty());
}

TEST_F(FjController, ErrorCodeFileLiesInTheControllersFolder) {
    const auto exe = host::ExecutableDirectory();
    ASSERT_TRUE(exe.has_value());
    EXPECT_EQ(driver_.ErrorCodeFile(), *exe / "FJ" / "fj-errors.csv");
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
    testsupport::LogCapture log;
    const auto unknown = Lookup(kErrorFile, 99);
    EXPECT_EQ(unknown.code, 0);
    EXPECT_EQ(unknown.text1, "");
    const auto header = Lookup("17,3,\"header\"\n", 17);  // the first line is always the header
    EXPECT_EQ(header.code, 0);
    const auto missing = FJ::LookupErrorCodeIn(dir_ / "none.csv", 17);
    EXPECT_EQ(missing.level, 0);
    EXPECT_THAT(log.Messages(), ElementsAre("Error code 99 not found", "Error code 17 not found",
                                            "Could not open file: " + text::PathToUtf8(dir_ / "none.csv")));
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

    const auto current = FJ::FaultRecords(FJ::FaultTable::Current);
    ASSERT_EQ(current.size(), 2u);
    EXPECT_EQ(current[0].number, 2);
    EXPECT_EQ(current[0].level, 3);
    EXPECT_EQ(current[0].code, 17);
    EXPECT_EQ(current[0].data, 258);
    EXPECT_EQ(current[1].number, 9);
    EXPECT_EQ(current[1].data, 6);

    const auto historical = FJ::FaultRecords(FJ::FaultTable::Historical);
    ASSERT_EQ(historical.size(), 2u);
    EXPECT_EQ(historical[0].number, 1);
    EXPECT_EQ(historical[0].times, 4);
    EXPECT_EQ(historical[0].data, 300);
    EXPECT_EQ(historical[1].number, 10);
    EXPECT_EQ(historical[1].level, 5);
    EXPECT_EQ(historical[1].code, 23);
    EXPECT_EQ(historical[1].times, 1);
    EXPECT_EQ(historical[1].data, 7);
}

}  // namespace
