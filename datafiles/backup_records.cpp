#include "datafiles/backup_records.h"

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <optional>
#include <set>

#include "core/hex_text.h"
#include "core/param_entry.h"
#include "core/payload_cipher.h"
#include "core/text.h"
#include "datafiles/tuning_layout.h"
#include "ev48400c/entry_lists.h"
#include "ev48400c/family_files.h"
#include "fj/packet_codec.h"
#include "fj/parameter_table.h"
#include "fj/value_table.h"
#include "tercel/command_codec.h"
#include "tercel/config.h"
#include "tercel/drive_info.h"
#include "tercel/entry_lists.h"
#include "tercel/family_state.h"
#include "tercel/motor.h"
#include "tercel/register_entries.h"
#include "tercel/speed_control.h"
#include "tercel/vehicle.h"

namespace datafiles {

namespace {

constexpr size_t kValueBuffer = 256;
// Records are read whole, however many and however long (the file itself is bounded): a list cut by a
// reader's buffer would leave records out without a word.
constexpr size_t kWhole = std::numeric_limits<size_t>::max();

std::string FromLowBytes(std::string_view narrow) {
    return text::WideToUtf8(text::WidenByChar(narrow));
}

// The label=value lines a group describes itself with.
std::vector<RecordSetting> SettingsOf(const std::string& description) {
    std::vector<RecordSetting> settings;
    size_t start = 0;
    while (start < description.size()) {
        size_t end = description.find('\n', start);
        if (end == std::string::npos) end = description.size();
        const std::string line = description.substr(start, end - start);
        const size_t equals = line.find('=');
        if (equals != std::string::npos)
            settings.push_back({FromLowBytes(line.substr(0, equals)), FromLowBytes(line.substr(equals + 1))});
        start = end + 1;
    }
    return settings;
}

// The frame of a record, or why there is none.
std::optional<std::vector<uint8_t>> Decipher(const std::string& cipherText, std::string& damage) {
    const std::string hex = DecryptPayload(cipherText);
    if (hex.empty()) {
        damage = "it does not decipher";
        return std::nullopt;
    }
    auto bytes = TryFromHex(hex);
    if (!bytes) {
        damage = "its text is not hex";
        return std::nullopt;
    }
    return bytes;
}

uint16_t LowFirst(const std::vector<uint8_t>& frame, size_t position) {
    return static_cast<uint16_t>(frame[position] | frame[position + 1] << 8);
}

// The numbered records of the [Data] section, deciphered, each checked by the family's check.
std::vector<DataRecord> DataSectionRecords(const IniDocument& document,
                                           const std::function<void(DataRecord&)>& check) {
    std::vector<DataRecord> records;
    for (const auto& key : document.GetKeys("Data", kWhole)) {
        DataRecord record{"Data", key, document.GetString("Data", key, "", kWhole), {}, {}, {}, {}, {}};
        if (const auto frame = Decipher(record.text, record.damage)) {
            record.frame = *frame;
            check(record);
        }
        records.push_back(std::move(record));
    }
    return records;
}

void CheckFjRecord(DataRecord& record, bool describe) {
    const auto& f = record.frame;
    if (f.size() != FJ::kRequestLength || f[0] != FJ::kSoiFirst || f[1] != FJ::kSoiSecond ||
        f[3] != FJ::FJ_CID_WRITE_REQUEST || f[4] != FJ::kValueDataLength) {
        record.damage = "it is not an FJ write request";
        return;
    }
    const uint16_t crc = FJ::ComputeCrc16(f.data() + 2, f.size() - 4);
    if (f[f.size() - 2] != (crc >> 8) || f[f.size() - 1] != (crc & 0xFF)) {
        record.damage = "its CRC does not match";
        return;
    }
    if (!describe) return;
    record.target = FJ::FormatNarrowId(f[5], f[6]) + " " + text::WideToUtf8(FJ::DescribeAddress(f[5], f[6]));
    record.value = std::to_string(LowFirst(f, 7));
}

// The Tercel blocks a check needs, made here without a controller when the family has none and
// forgotten again afterwards; blocks a connection made are used as they are.
class TercelBlocks {
public:
    TercelBlocks() {
        auto& objects = Tercel::Objects();
        Make(objects.config, {Tercel::kConfigList});
        Make(objects.driveInfo, {Tercel::kDriveInfoList});
        Make(objects.motor, {Tercel::kMotorList});
        Make(objects.speedControl,
             {Tercel::kSpeedLimitList, Tercel::kMotorSpeedList, Tercel::kCurrentLimitList,
              Tercel::kAccelerationMode0List, Tercel::kAccelerationMode1List});
        Make(objects.vehicle, {Tercel::kVehicleList});
    }
    ~TercelBlocks() {
        for (const auto name : lists_) Tercel::List(name).clear();
        for (const auto& forget : forget_) forget();
    }
    TercelBlocks(const TercelBlocks&) = delete;
    TercelBlocks& operator=(const TercelBlocks&) = delete;

private:
    // A block is made only when neither it nor its entries are there.
    template <typename T>
    void Make(std::shared_ptr<T>& block, std::initializer_list<std::string_view> lists) {
        if (block) return;
        for (const auto name : lists)
            if (!Tercel::List(name).empty()) return;
        block = std::make_shared<T>();
        block->BuildParamEntries();
        lists_.insert(lists_.end(), lists.begin(), lists.end());
        forget_.push_back([&block] { block.reset(); });
    }
    std::vector<std::string_view> lists_;
    std::vector<std::function<void()>> forget_;
};

std::map<uint16_t, std::string> TercelRegisterLabels() {
    using namespace Tercel;
    std::map<uint16_t, std::string> labels;
    for (const auto name : {kConfigList, kDriveInfoList, kMotorList, kSpeedLimitList, kMotorSpeedList,
                            kCurrentLimitList, kAccelerationMode0List, kAccelerationMode1List, kVehicleList})
        for (const auto& entry : List(name)) {
            uint16_t address = 0;
            if (ParseRegisterKey(entry.key, address)) labels.emplace(address, text::WideToUtf8(entry.label));
        }
    return labels;
}

// The FJ entries, published here without a controller when the family has none, and taken away again.
class FjEntries {
public:
    FjEntries() : built_(FJ::List(FJ::kSpeedTuningList).empty()) {
        if (built_) FJ::BuildEntryLists();
    }
    ~FjEntries() {
        if (!built_) return;
        // ResetFamily empties the table as well: what it held is put back.
        const FJ::FjValueTable values = FJ::FjValueTable::Instance();
        FJ::ResetFamily();
        FJ::FjValueTable::Instance() = values;
    }
    FjEntries(const FjEntries&) = delete;
    FjEntries& operator=(const FjEntries&) = delete;

private:
    bool built_;
};

// Entries by key: those a backup of the family writes (the editable entries of its Tuning and Sink
// tabs), and every entry of its layout, to name an address that is shown but not written.
struct FamilyEntries {
    std::map<std::wstring, const ParamEntry*> written;
    std::map<std::wstring, const ParamEntry*> shown;
};

FamilyEntries EntriesOf(const std::vector<TabLayout>& layout, const std::vector<const EntryList*>& more,
                        const std::vector<const EntryList*>& alsoWritten = {}) {
    FamilyEntries entries;
    for (const EntryList* list : alsoWritten)
        for (const auto& entry : *list)
            if (!entry.readOnly) entries.written.emplace(entry.key, &entry);
    for (const auto& tab : layout) {
        const bool writes = tab.tab == TuningTab::Tuning || tab.tab == TuningTab::Sink;
        for (const ParamEntry* entry : SectionRows(tab.sections)) {
            entries.shown.emplace(entry->key, entry);
            if (writes && !entry->readOnly) entries.written.emplace(entry->key, entry);
        }
    }
    for (const EntryList* list : more)
        for (const auto& entry : *list) entries.shown.emplace(entry.key, &entry);
    return entries;
}

std::string OutsideLimits(const ParamEntry& entry, const std::string& value) {
    return "its value " + value + " for " + text::WideToUtf8(entry.label) + " is outside the limits " +
           text::WideToUtf8(entry.minValue) + " to " +
           (entry.maxValue ? text::WideToUtf8(entry.maxValue(entry.owner)) : std::string());
}

// Why the value a record writes is not one its entry takes, or empty. The value is judged as the
// entry shows it, with every record of the file already in the model, so limits that follow another
// setting (a speed below the motor's maximum) hold for the file as a whole. An entry shown by name
// takes the option's number. A value the model cannot show yet (a current without the scales only a
// controller gives) is left to its register's width.
std::string ShownValueProblem(const ParamEntry& entry, uint16_t raw) {
    if (entry.kind == ParamKind::Text || !entry.getter) return {};
    const std::string shown = entry.getter(entry.owner);
    auto number = text::ParseLeadingDouble(shown);
    if (!number && entry.optionCount > 0) number = raw;
    if (!number) return shown.empty() ? std::string() : "its value " + shown + " is not a number";
    const auto range = EntryRange(entry);
    if (!range) return "its entry " + text::WideToUtf8(entry.label) + " takes no number";
    if (range->low <= *number && *number <= range->high) return {};
    return OutsideLimits(entry, shown.empty() ? std::to_string(raw) : shown);
}

// The model check of one record: the address is an entry the family writes, and its value one the
// entry takes. A record that writes an address another record wrote with another value contradicts it.
struct Written {
    std::wstring key;
    uint16_t value;
};

void CheckWrites(std::vector<DataRecord>& records, const std::vector<Written>& writes,
                 const FamilyEntries& entries, const std::string& family) {
    std::map<std::wstring, uint16_t> first;
    for (size_t i = 0; i < records.size(); ++i) {
        DataRecord& record = records[i];
        const Written& write = writes[i];
        const auto [earlier, added] = first.emplace(write.key, write.value);
        if (!added && earlier->second != write.value) {
            record.damage = "another record writes " + text::WideToUtf8(write.key) + " with another value";
            continue;
        }
        const auto entry = entries.written.find(write.key);
        if (entry == entries.written.end()) {
            const auto shown = entries.shown.find(write.key);
            if (shown == entries.shown.end())
                record.damage = text::WideToUtf8(write.key) + " is not a setting of the " + family;
            else if (shown->second->readOnly)
                record.damage =
                    "it writes " + text::WideToUtf8(shown->second->label) + ", which is read-only";
            else
                record.damage =
                    "it writes " + text::WideToUtf8(shown->second->label) + ", which a backup never holds";
            continue;
        }
        record.damage = ShownValueProblem(*entry->second, write.value);
    }
}

// Every FJ record is a write request of the family's frame check; when all are, their values go into a
// copy of the model and are judged there. The table is always put back.
void CheckFjValues(std::vector<DataRecord>& records) {
    if (records.empty() || FirstDamaged(records)) return;
    const FjEntries published;
    auto& table = FJ::FjValueTable::Instance();
    const FJ::FjValueTable saved = table;
    std::vector<Written> writes;
    for (const auto& record : records) {
        const auto& f = record.frame;
        writes.push_back({FJ::FormatId(f[5], f[6]), LowFirst(f, 7)});
        table.Set(f[5], f[6], LowFirst(f, 7));
    }
    const auto layout = FjLayout();
    CheckWrites(records, writes, EntriesOf(layout, {}), "FJ");
    table = saved;
}

void CheckTercelValues(std::vector<DataRecord>& records) {
    if (records.empty() || FirstDamaged(records)) return;
    using namespace Tercel;
    auto& registers = Registers();
    const RegisterMap saved = registers;
    std::vector<Written> writes;
    for (const auto& record : records) {
        const uint16_t address = LowFirst(record.frame, 4);
        writes.push_back({std::to_wstring(address), LowFirst(record.frame, 8)});
        registers[address] = LowFirst(record.frame, 8);
    }
    // Taken with the file's values. Its speed response mode chooses the acceleration list shown, but the
    // registers of either list are the family's to write: a file written under the other mode, or
    // without the mode, still puts back what it holds.
    const auto layout = TercelLayout();
    const FamilyEntries entries = EntriesOf(layout, {&List(kIdentityList)},
                                            {&List(kAccelerationMode0List), &List(kAccelerationMode1List)});
    CheckWrites(records, writes, entries, "Tercel");
    // Lowering the motor's maximum speed brings only the forward speed down with it, so a controller may
    // hold other speeds above its maximum, and its backup must put them back: those are judged against
    // the highest maximum the motor may take; the motor's maximum and the forward speed as they are.
    const auto motorMax = entries.written.find(std::to_wstring(kMotorMaxRpmRegister));
    if (motorMax != entries.written.end() && motorMax->second->maxValue) {
        const auto ceiling = text::ParseLeadingDouble(motorMax->second->maxValue(motorMax->second->owner));
        if (ceiling) {
            registers[kMotorMaxRpmRegister] = static_cast<uint16_t>(*ceiling);
            for (size_t i = 0; i < records.size(); ++i) {
                if (records[i].damage.rfind("its value ", 0) != 0) continue;
                if (writes[i].key == motorMax->first ||
                    writes[i].key == std::to_wstring(kForwardMaxRpmRegister))
                    continue;
                const auto entry = entries.written.find(writes[i].key);
                if (entry != entries.written.end())
                    records[i].damage = ShownValueProblem(*entry->second, writes[i].value);
            }
        }
    }
    registers = saved;
}

void CheckTercelRecord(DataRecord& record, const std::map<uint16_t, std::string>* labels) {
    const auto& f = record.frame;
    if (f.size() != Tercel::kWriteFrameLength || f[0] != Tercel::kSom || f[1] != Tercel::MCB_CMD_WRITEMEMEX) {
        record.damage = "it is not a Tercel register write";
        return;
    }
    if (Tercel::ComputeChecksum(f) != f.back()) {
        record.damage = "its checksum does not match";
        return;
    }
    if (!labels) return;
    const uint16_t address = LowFirst(f, 4);
    const auto label = labels->find(address);
    record.target = std::to_string(address) + (label == labels->end() ? "" : " " + label->second);
    record.value = std::to_string(LowFirst(f, 8));
}

// Why an editable entry of an EV48-400-C group does not take the value the group holds, or empty. An
// enumeration is shown by name (a name may start with digits: "250KBit/s") and set by number: its number
// is found by storing each number the limits admit until the group's bytes are as they were; when none
// is, the group is taken from the file's frame again.
std::string Ev48400cValueProblem(const ParamEntry& entry, const EV48400C::BackupGroup& group,
                                 const Frame& frame) {
    if (entry.kind != ParamKind::Enumeration || !entry.getter || !entry.setter)
        return ShownValueProblem(entry, 0);
    const std::string shown = entry.getter(entry.owner);
    const auto range = EntryRange(entry);
    if (!range) return "its entry " + text::WideToUtf8(entry.label) + " takes no number";
    const Frame held = group.held()->Serialize();
    for (double number = std::ceil(range->low); number <= range->high; ++number) {
        try {
            entry.setter(entry.owner, paramdetail::NumberText(static_cast<long long>(number)));
        } catch (...) {
            continue;
        }
        if (group.held()->Serialize() == held) return {};
    }
    group.take(frame);
    return OutsideLimits(entry, shown);
}

// Every group of the file is held first, so a limit one group puts on another (a gear's speed under the
// motor's maximum) is the file's own; then each editable entry of each group is judged as it is shown.
// The rest of a group (read-only entries, words stored but not shown) goes back as it was read: a group
// is written whole.
void CheckEv48400cValues(std::vector<DataRecord>& records) {
    const auto& groups = EV48400C::BackupGroups();
    std::vector<size_t> raised;
    for (size_t i = 0; i < groups.size() && i < records.size(); ++i) {
        const auto& group = groups[i];
        // Copies: storing a value may publish the group's entries anew.
        EntryList entries;
        for (const auto name : group.lists)
            for (const auto& entry : EV48400C::List(name))
                if (entry.owner == group.owner() && !entry.readOnly) entries.push_back(entry);
        for (const auto& entry : entries) {
            records[i].damage = Ev48400cValueProblem(entry, group, records[i].frame);
            if (!records[i].damage.empty()) break;
        }
        // Lowering the motor's maximum speed brings the gears down with it, yet a controller set up
        // otherwise may hold a gear above it, and its backup must put that back: the gears are judged
        // against the highest maximum the motor may take, and the motor group is taken from the file
        // again afterwards.
        if (!records[i].damage.empty()) continue;
        for (const auto& entry : entries) {
            if (entry.key != EV48400C::kMotorPeakSpeedKey || !entry.maxValue || !entry.setter) continue;
            try {
                entry.setter(entry.owner, text::WideToUtf8(entry.maxValue(entry.owner)));
            } catch (...) {
            }
            raised.push_back(i);
        }
    }
    for (const size_t i : raised) groups[i].take(records[i].frame);
}

}  // namespace

std::vector<DataRecord> Ev48400cRecords(const IniDocument& document, bool describe) {
    // The groups are judged and described in the family's own messages, which are put back afterwards.
    const EV48400C::GroupsSnapshot snapshot;
    std::vector<DataRecord> records;
    for (const auto& group : EV48400C::BackupGroups()) {
        DataRecord record{
            group.section, "data", document.GetString(group.section, "data", "", kWhole), {}, {}, {}, {}, {}};
        // Every backup holds every group: one is written only when the controller gave them all.
        if (record.text.empty()) {
            record.damage = "its data line is missing";
        } else if (const auto frame = Decipher(record.text, record.damage)) {
            record.frame = *frame;
            if (!group.check(record.frame))
                record.damage = "its frame does not check out";
            else
                group.take(record.frame);
        }
        records.push_back(std::move(record));
    }
    if (!FirstDamaged(records)) CheckEv48400cValues(records);
    if (describe) {
        const auto& groups = EV48400C::BackupGroups();
        for (size_t i = 0; i < records.size(); ++i) {
            const IMessage* message = groups[i].held();
            if (records[i].frame.empty() || !message || !groups[i].check(records[i].frame)) continue;
            records[i].target = records[i].section + " (" + message->GetName() + ")";
            records[i].settings = SettingsOf(message->Describe());
        }
    }
    snapshot.Restore();
    return records;
}

std::vector<DataRecord> FjRecords(const IniDocument& document, bool describe) {
    auto records =
        DataSectionRecords(document, [describe](DataRecord& record) { CheckFjRecord(record, describe); });
    CheckFjValues(records);
    return records;
}

std::vector<DataRecord> TercelRecords(const IniDocument& document, bool describe) {
    const TercelBlocks blocks;
    const auto labels = describe ? TercelRegisterLabels() : std::map<uint16_t, std::string>();
    auto records = DataSectionRecords(
        document, [&](DataRecord& record) { CheckTercelRecord(record, describe ? &labels : nullptr); });
    CheckTercelValues(records);
    return records;
}

uint32_t RecordsCrc32(const std::vector<DataRecord>& records) {
    uint32_t crc = 0xFFFFFFFFu;
    const auto add = [&crc](std::string_view bytes) {
        for (const char c : bytes) {
            crc ^= static_cast<uint8_t>(c);
            for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
        }
    };
    for (const auto& record : records)
        add("[" + record.section + "]" + record.key + "=" + record.text + "\n");
    return ~crc;
}

std::string Crc32Text(uint32_t crc) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text(8, '0');
    for (int i = 7; i >= 0; --i, crc >>= 4) text[static_cast<size_t>(i)] = kDigits[crc & 0xF];
    return text;
}

namespace {

std::string_view TrimmedLine(std::string_view line) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (line.substr(0, kByteOrderMark.size()) == kByteOrderMark) line.remove_prefix(kByteOrderMark.size());
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; };
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    return line;
}

// A section given twice, or a key given twice in the header or in a section that holds records: the
// reader takes the first and would pass over the other without a word. Read from the text itself, by
// the reader's rules (names without regard to ASCII case, blanks around them dropped, ';' comments).
// recordSections: by lower-case name, the lower-case keys watched there; none watches every key.
std::string RepeatedName(const std::string& text,
                         const std::map<std::string, std::set<std::string>>& recordSections) {
    std::set<std::string> sections;
    std::set<std::string> keys;
    std::string section;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string_view line = TrimmedLine(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[' && line.find(']') != std::string_view::npos) {
            const std::string name(TrimmedLine(line.substr(1, line.find(']') - 1)));
            section = text::AsciiLower(name);
            keys.clear();
            if (!sections.insert(section).second) return "its section [" + name + "] is given twice";
            continue;
        }
        const size_t equals = line.find('=');
        const auto watched = recordSections.find(section);
        if (equals == std::string_view::npos || watched == recordSections.end()) continue;
        const std::string key(TrimmedLine(line.substr(0, equals)));
        if (!watched->second.empty() && !watched->second.count(text::AsciiLower(key))) continue;
        if (!keys.insert(text::AsciiLower(key)).second)
            return "its key " + key + " is given twice in [" + section + "]";
    }
    return {};
}

}  // namespace

std::string RepeatedSection(const IniDocument& document) {
    return RepeatedName(document.Text(), {});
}

std::string IntegrityProblem(const IniDocument& document, const std::vector<DataRecord>& records) {
    if (records.empty()) return "it holds no records";
    // The [Data] section and the header are the program's own lines; a group section of the
    // EV48-400-C also describes its values, and only its data line is watched there.
    std::map<std::string, std::set<std::string>> recordSections = {{"data", {}}, {"file", {}}};
    for (const auto& record : records)
        if (!text::EqualsNoCase(record.section, "Data"))
            recordSections[text::AsciiLower(record.section)].insert(text::AsciiLower(record.key));
    if (std::string repeated = RepeatedName(document.Text(), recordSections); !repeated.empty())
        return repeated;
    const std::string count = document.GetString("File", "Records", "", kValueBuffer);
    if (!count.empty() && count != std::to_string(records.size()))
        return "it holds " + std::to_string(records.size()) + " records where it was written with " + count;
    const std::string crc = document.GetString("File", "DataCrc32", "", kValueBuffer);
    if (!crc.empty() && !text::EqualsNoCase(crc, Crc32Text(RecordsCrc32(records))))
        return "its records were changed after it was written";
    return {};
}

const DataRecord* FirstDamaged(const std::vector<DataRecord>& records) {
    for (const auto& record : records)
        if (!record.damage.empty()) return &record;
    return nullptr;
}

}  // namespace datafiles
