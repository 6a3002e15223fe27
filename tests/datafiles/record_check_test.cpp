// Damaged and hostile backups and profiles: each refused whole, with nothing of it left in the model or
// in the keys marked for writing, and the user told which record or line and why. The command line's
// inspect reads a backup without a controller and must come to the same verdict.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/ini_file.h"
#include "core/payload_cipher.h"
#include "ev48400c/entry_lists.h"
#include "fj/packet_codec.h"
#include "tercel/command_codec.h"
#include "tercel/entry_lists.h"
#include "tests/datafiles/data_file_fixture.h"
#include "tests/support/entries.h"

namespace {

using namespace datafilestest;
using testing::HasSubstr;
using Bytes = std::vector<uint8_t>;

std::string Record(const Bytes& frame) {
    return EncryptPayload(ToHex(frame));
}

// The line of the text starting with prefix replaced by line.
std::string ReplaceLine(std::string text, const std::string& prefix, const std::string& line) {
    const size_t at = text.find("\n" + prefix);
    EXPECT_NE(at, std::string::npos) << prefix;
    if (at == std::string::npos) return text;
    const size_t end = text.find('\n', at + 1);
    return text.replace(at + 1, end - at - 1, line);
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string LineOf(const std::string& text, const std::string& prefix) {
    const size_t at = text.find("\n" + prefix) + 1;
    return text.substr(at, text.find('\n', at) - at);
}

Bytes FjReadAnswer(uint8_t group, uint8_t index, uint16_t value) {
    Bytes frame = FJ::BuildWriteRequest(group, index, value);
    frame[3] = FJ::FJ_CID_READ_ACK;
    const uint16_t crc = FJ::ComputeCrc16(frame.data() + 2, frame.size() - 4);
    frame[frame.size() - 2] = static_cast<uint8_t>(crc >> 8);
    frame[frame.size() - 1] = static_cast<uint8_t>(crc & 0xFF);
    return frame;
}

Bytes Damaged(Bytes frame) {
    frame.back() ^= 0x01;
    return frame;
}

// Backups of each family as saved, to be made hostile.
struct Saved {
    std::string fj, tercel, ev;
};

std::string FjD0(const Saved& s, const Bytes& frame) {
    return ReplaceLine(s.fj, "d0=", "d0=" + Record(frame));
}
std::string TercelD0(const Saved& s, const Bytes& frame) {
    return ReplaceLine(s.tercel, "d0=", "d0=" + Record(frame));
}
std::string EvData(const Saved& s) {
    return LineOf(s.ev, "data=");
}

struct RefusedFile {
    const char* what;
    const DataFilePart* part;
    std::string (*file)(const Saved&);
    const char* record;  // where the user is told to look, when it is one record
    const char* reason;
    bool byRecords;  // refused for its records: inspect, which reads no header rule, must agree
};

const RefusedFile kRefusedFiles[] = {
    {"FJ CRC", kFj, [](const Saved& s) { return FjD0(s, Damaged(FJ::BuildWriteRequest(0x0D, 0x1F, 100))); },
     "record [Data] d0", "its CRC does not match", true},
    {"FJ read answer", kFj, [](const Saved& s) { return FjD0(s, FjReadAnswer(0x0D, 0x1F, 100)); }, "",
     "it is not an FJ write request", true},
    {"FJ read-only", kFj, [](const Saved& s) { return FjD0(s, FJ::BuildWriteRequest(0x13, 0x3D, 1)); }, "",
     "which is read-only", true},
    {"FJ limits", kFj, [](const Saved& s) { return FjD0(s, FJ::BuildWriteRequest(0x0D, 0x1F, 60000)); }, "",
     "outside the limits 0 to 6000", true},
    {"FJ no setting", kFj, [](const Saved& s) { return FjD0(s, FJ::BuildWriteRequest(0x30, 0x00, 1)); }, "",
     "30:00 is not a setting", true},
    {"FJ not enciphered", kFj, [](const Saved& s) { return ReplaceLine(s.fj, "d5=", "d5=ZZ"); },
     "record [Data] d5", "it does not decipher", true},
    {"FJ deciphered, not hex", kFj,
     [](const Saved& s) { return ReplaceLine(s.fj, "d5=", "d5=" + EncryptPayload("0G")); },
     "record [Data] d5", "its text is not hex", true},
    {"FJ, a Tercel backup relabelled", kFj,
     [](const Saved& s) { return Replace(s.tercel, "ControllerType=Tercel", "ControllerType=FJ"); }, "",
     "it is not an FJ write request", true},
    {"FJ no records", kFj, [](const Saved& s) { return s.fj.substr(0, s.fj.find("\n[Data]\n") + 8); }, "",
     "it holds no records", true},
    {"FJ d0 twice", kFj,
     [](const Saved& s) { return s.fj + "d0=" + Record(FJ::BuildWriteRequest(0x0D, 0x1F, 2)); }, "",
     "its key d0 is given twice", true},
    {"Tercel checksum", kTercel,
     [](const Saved& s) { return TercelD0(s, Damaged(Tercel::BuildWriteFrame(2878, 100))); }, "",
     "its checksum does not match", true},
    {"Tercel read", kTercel, [](const Saved& s) { return TercelD0(s, Tercel::BuildReadFrame(2878)); }, "",
     "it is not a Tercel register write", true},
    {"Tercel read-only", kTercel, [](const Saved& s) { return TercelD0(s, Tercel::BuildWriteFrame(126, 5)); },
     "", "Application Software ID, which is read-only", true},
    {"Tercel limits", kTercel,
     [](const Saved& s) { return TercelD0(s, Tercel::BuildWriteFrame(2878, 65000)); }, "",
     "outside the limits 0 to 10000", true},
    // The motor maximum the file itself sets (0) bounds the forward speed.
    {"Tercel limit set by the file", kTercel,
     [](const Saved& s) { return s.tercel + "d90=" + Record(Tercel::BuildWriteFrame(2586, 1)) + "\n"; }, "",
     "outside the limits 0 to 0", true},
    {"Tercel, an FJ backup relabelled", kTercel,
     [](const Saved& s) { return Replace(s.fj, "ControllerType=FJ", "ControllerType=Tercel"); }, "",
     "it is not a Tercel register write", true},
    {"Tercel [Data] twice", kTercel,
     [](const Saved& s) { return s.tercel + "\n[Data]\nd40=" + Record(Tercel::BuildWriteFrame(2878, 2)); },
     "", "its section [Data] is given twice", true},
    {"EV48-400-C group damaged", kEv, [](const Saved& s) { return Replace(s.ev, EvData(s), "data=ZZ"); }, "",
     "it does not decipher", true},
    {"EV48-400-C group twice", kEv,
     [](const Saved& s) { return s.ev + "\n[Accelerator]\n" + EvData(s) + "\n"; }, "",
     "its section [Accelerator] is given twice", true},
    {"another family's file", kEv, [](const Saved& s) { return s.fj; }, "", "Incorrect Controller Type: FJ",
     false},
    {"unknown type", kTercel,
     [](const Saved& s) { return Replace(s.tercel, "Type=Backup", "Type=Snapshot"); }, "",
     "Unknown file type: Snapshot", false},
};

// What inspect says of the file, read as it reads it: without a controller.
std::string InspectVerdict(const DataFilePart& part, const std::string& text) {
    const IniDocument document(text);
    const auto records = part.backupRecords(document, true);
    if (const auto* damaged = datafiles::FirstDamaged(records)) return damaged->damage;
    return datafiles::IntegrityProblem(document, records);
}

using RecordCheck = DataFileTest;

TEST_F(RecordCheck, RefusedFilesChangeNothingAndInspectAgrees) {
    const Saved saved{Save(kFj), Save(kTercel), Save(kEv)};
    for (const auto& c : kRefusedFiles) {
        SCOPED_TRACE(c.what);
        Fill();
        DirtyKeys().insert(L"0F:1C");  // an edit made before the load stays as it is
        const std::string file = c.file(saved);
        const std::string before = State();
        EXPECT_FALSE(Load(c.part, file));
        EXPECT_TRUE(State() == before);
        EXPECT_THAT(Warning(), HasSubstr(c.reason));
        EXPECT_THAT(Warning(), HasSubstr(c.record));
        if (!c.byRecords) continue;

        testsupport::ResetFamilies();
        EXPECT_THAT(InspectVerdict(*c.part, file), HasSubstr(c.reason));
        // Inspect borrows the entries it needs and leaves the families as it found them.
        EXPECT_TRUE(FJ::List(FJ::kSpeedTuningList).empty());
        EXPECT_TRUE(Tercel::List(Tercel::kSpeedLimitList).empty());
        EXPECT_FALSE(Tercel::Objects().speedControl);
    }
}

// A profile's lines for a family: {a} and {b} stand for two labels, {va} and {vb} for values they take,
// {s} for their section and {o} for another.
struct ProfileFamily {
    const DataFilePart* part;
    const char* name;
    const char* section;
    const char* other;  // a section of the family's profiles that does not hold a and b
    std::string_view list;
    const wchar_t* a;
    const wchar_t* b;
    const char* va;
    const char* vb;
};

const ProfileFamily kProfileFamilies[] = {
    {kFj, "FJ", "Tuning", "Sink", FJ::kSpeedTuningList, L"0D:1F", L"0F:1C", "100", "10"},
    {kTercel, "Tercel", "Tuning", "Sink", Tercel::kSpeedLimitList, L"2878", L"2754", "100", "10"},
    {kEv, "EV48-400-C", "Accelerator", "Slope Control", EV48400C::kAcceleratorList, L"Accelerator_MinValue_V",
     L"Accelerator_MaxValue_V", "1.5", "4.5"},
};

const struct {
    const char* what;
    std::string lines;
    const char* reason;
} kRefusedProfiles[] = {
    {"every line refused", "No Such Setting=5\nNor This=7\n",
     "No Such Setting=5: no such setting under [{s}]"},
    {"one line beyond its limits", "{a}={va}\n{b}=60000\n", "{b}=60000: outside its limits"},
    {"a decimal comma", "{a}={va}\n{b}=1,5\n", "{b}=1,5: a decimal comma"},
    {"a number and more", "{a}={va}\n{b}=5000abc\n", "{b}=5000abc: not a number"},
    {"a digit that is not ASCII", "{a}={va}\n{b}=\xEF\xBC\x95\n", "not a number"},
    {"a label twice", "{a}={va}\n{b}={vb}\n{a}={va}\n", "{a}={va}: given twice"},
    {"a setting under another section", "{a}={va}\n[{o}]\n{b}={vb}\n",
     "{b}={vb}: no such setting under [{o}]"},
    {"a line that is no setting", "{a}={va}\njust words\n", "just words: not label=value"},
    {"a section longer than its reader takes in", "{b}={vb}\n{a}=" + std::string(4100, '0') + "1\n",
     "[{s}]: longer than 4096 characters"},
    {"empty", "", "holds no settings"},
};

std::string Filled(std::string lines, const ProfileFamily& family) {
    const std::pair<std::string, std::string> fields[] = {
        {"{a}", text::WideToUtf8(testsupport::Entry(family.list, family.a).label)},
        {"{b}", text::WideToUtf8(testsupport::Entry(family.list, family.b).label)},
        {"{va}", family.va},
        {"{vb}", family.vb},
        {"{s}", family.section},
        {"{o}", family.other}};
    for (const auto& [field, value] : fields)
        for (size_t at; (at = lines.find(field)) != std::string::npos;)
            lines.replace(at, field.size(), value);
    return lines;
}

TEST_F(RecordCheck, ProfilesAreTakenWholeOrNotAtAll) {
    for (const auto& family : kProfileFamilies) {
        // The header's names in any case.
        const std::string header = std::string("[file]\ncontrollertype=") + family.name +
                                   "\ntype=profile\n\n[" + family.section + "]\n";
        for (const auto& c : kRefusedProfiles) {
            SCOPED_TRACE(std::string(family.name) + ": " + c.what);
            DirtyKeys() = {L"earlier edit"};
            const std::string before = State();
            EXPECT_FALSE(Load(family.part, header + Filled(c.lines, family)));
            EXPECT_TRUE(State() == before);
            EXPECT_THAT(Warning(), HasSubstr(Filled(c.reason, family)));
            EXPECT_THAT(Warning(), HasSubstr("was not loaded"));
        }
        SCOPED_TRACE(family.name);
        DirtyKeys().clear();
        ASSERT_TRUE(Load(family.part, header + Filled("{a}={va}\n{b} = {vb}\n", family))) << Warning();
        EXPECT_EQ(testsupport::Shown(family.list, family.a), family.va);
        EXPECT_EQ(DirtyKeys(), (DirtyKeySet{family.a, family.b}));
    }
}

}  // namespace
