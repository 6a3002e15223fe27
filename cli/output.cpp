#include "cli/output.h"

#include <algorithm>
#include <ostream>
#include <system_error>

#include "core/log.h"
#include "core/text.h"

namespace cli {

size_t DisplayWidth(std::string_view utf8) {
    return static_cast<size_t>(std::count_if(
        utf8.begin(), utf8.end(), [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; }));
}

void WriteTable(std::ostream& out, const TableRow& header, const std::vector<TableRow>& rows) {
    std::vector<size_t> widths(header.size(), 0);
    auto measure = [&widths](const TableRow& row) {
        for (size_t i = 0; i < row.size() && i < widths.size(); ++i)
            widths[i] = std::max(widths[i], DisplayWidth(row[i]));
    };
    measure(header);
    for (const auto& row : rows) measure(row);
    auto write = [&](const TableRow& row) {
        std::string line;
        for (size_t i = 0; i < widths.size(); ++i) {
            const std::string cell = i < row.size() ? row[i] : std::string();
            line += cell;
            if (i + 1 < widths.size()) line.append(widths[i] - DisplayWidth(cell) + 2, ' ');
        }
        while (!line.empty() && line.back() == ' ') line.pop_back();
        out << line << '\n';
    };
    write(header);
    for (const auto& row : rows) write(row);
}

std::string ReplaceProblem(const std::filesystem::path& file, bool force) {
    std::error_code error;
    const auto status = std::filesystem::symlink_status(file, error);
    if (std::filesystem::exists(status)) {
        if (!std::filesystem::is_regular_file(status)) return "not a regular file: choose another name";
        if (!force) return "the file exists: add --force to replace it";
        if ((status.permissions() & std::filesystem::perms::owner_write) == std::filesystem::perms::none)
            return "the file is write-protected: choose another name";
        return {};
    }
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : ".";
    if (!std::filesystem::is_directory(folder, error)) return "its folder does not exist: create it first";
    return {};
}

StatusLine::StatusLine(std::ostream& err, bool terminal) : err_(err), terminal_(terminal) {
    SetStatusListener([this](const std::wstring& text) { Show(text); });
}

StatusLine::~StatusLine() {
    SetStatusListener({});
    Finish();
}

void StatusLine::Show(const std::wstring& text) {
    // The page clears its status line with an empty text; here that would only add a blank line.
    if (text.empty()) return;
    const std::string line = text::WideToUtf8(text);
    if (terminal_) {
        err_ << "\r\x1b[K" << line << std::flush;
        drawn_ = true;
    } else {
        err_ << line << '\n' << std::flush;
    }
}

void StatusLine::Finish() {
    if (!drawn_) return;
    err_ << "\r\x1b[K" << std::flush;
    drawn_ = false;
}

}  // namespace cli
