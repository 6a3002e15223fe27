// The FJ fault descriptions, kept in a CSV file supplied beside the executable: a header line, then
// per line a decimal code, a decimal level and three texts, usually in double quotes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <istream>
#include <optional>
#include <string>

namespace FJ {

struct ErrorCodeRecord {
    int32_t code = 0;
    int32_t level = 0;
    std::string text1;  // the faults page's Description
    std::string text2;
    std::string text3;  // the rest of the line
};

// The line for the code, or nothing. Lines whose first field is not a decimal number (blank lines,
// notes, a byte-order mark) are passed over; fields split at every comma, so a text with a comma in
// it is cut there.
std::optional<ErrorCodeRecord> FindErrorCode(std::istream& csv, int32_t code);

// FindErrorCode on the file; an empty record, and a log line, when the file does not open or does not
// hold the code.
ErrorCodeRecord LookupErrorCodeIn(const std::filesystem::path& file, int32_t code);

}  // namespace FJ
