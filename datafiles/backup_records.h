// The records of a backup, deciphered and checked once, by their family's frame check. Loading a
// backup, the command line's load and its inspect all go through this, so none of them can take a
// record another refuses.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/ini_file.h"

namespace datafiles {

struct RecordSetting {
    std::string label;
    std::string value;
};

struct DataRecord {
    std::string section;
    std::string key;
    std::string text;  // as stored: the enciphered frame
    std::vector<uint8_t> frame;
    std::string target;                   // an address or a group; only when described
    std::string value;                    // a register's value; only when described
    std::vector<RecordSetting> settings;  // a group sets several values; only when described
    std::string damage;                   // why the record cannot be used; empty when it can
};

// Each family's records. With describe, the target and values are filled in as well. The values are
// judged in the family's own model, with every record of the file in it, and the model is put back as
// it was. An EV48-400-C backup holds one record for each of the family's groups, in their order.
std::vector<DataRecord> Ev48400cRecords(const IniDocument& document, bool describe);
std::vector<DataRecord> FjRecords(const IniDocument& document, bool describe);
std::vector<DataRecord> TercelRecords(const IniDocument& document, bool describe);

// The first damaged record, or none.
const DataRecord* FirstDamaged(const std::vector<DataRecord>& records);

// CRC-32 (the common reflected polynomial 0xEDB88320) of the records as "[section]key=text" lines,
// each ended by a line feed: what "DataCrc32=" of a backup's [FILE] section holds, as eight upper-case
// hex digits.
uint32_t RecordsCrc32(const std::vector<DataRecord>& records);
std::string Crc32Text(uint32_t crc);

// "its section [Tuning] is given twice" for the first section the text gives twice, or empty: the reader
// takes the first and would pass over the other without a word.
std::string RepeatedSection(const IniDocument& document);

// A backup's "Records=" and "DataCrc32=" checked against its records; files written without them
// (older, or from elsewhere) pass. Why the file cannot be trusted, or empty.
std::string IntegrityProblem(const IniDocument& document, const std::vector<DataRecord>& records);

}  // namespace datafiles
