#include "fj/error_code_file.h"

#include <charconv>
#include <fstream>
#include <string_view>

#include "core/log.h"
#include "core/text.h"

namespace FJ {

namespace {

std::string_view Trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

std::optional<int32_t> DecimalField(std::string_view field) {
    field = Trimmed(field);
    if (!field.empty() && field.front() == '+') field.remove_prefix(1);
    int32_t value = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
    if (field.empty() || error != std::errc() || end != field.data() + field.size()) return std::nullopt;
    return value;
}

// Splits off the text up to the next comma; the rest stays in line (empty when there is none).
std::string_view NextField(std::string_view& line) {
    const size_t comma = line.find(',');
    const std::string_view field = line.substr(0, comma);
    line = comma == std::string_view::npos ? std::string_view() : line.substr(comma + 1);
    return field;
}

std::string Unquoted(std::string_view field) {
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        field = field.substr(1, field.size() - 2);
    return std::string(field);
}

}  // namespace

std::optional<ErrorCodeRecord> FindErrorCode(std::istream& csv, int32_t code) {
    std::string line;
    if (!std::getline(csv, line)) return std::nullopt;  // the header
    while (std::getline(csv, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::string_view rest = line;
        const auto lineCode = DecimalField(NextField(rest));
        if (!lineCode || *lineCode != code) continue;
        ErrorCodeRecord record;
        record.code = *lineCode;
        record.level = DecimalField(NextField(rest)).value_or(0);
        record.text1 = Unquoted(NextField(rest));
        record.text2 = Unquoted(NextField(rest));
        record.text3 = Unquoted(rest);
        return record;
    }
    return std::nullopt;
}

ErrorCodeRecord LookupErrorCodeIn(const std::filesystem::path& file, int32_t code) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        Log("Could not open file: " + text::PathToUtf8(file));
        return {};
    }
    if (auto record = FindErrorCode(in, code)) return *record;
    Log("Error code " + std::to_string(code) + " not found");
    return {};
}

}  // namespace FJ
