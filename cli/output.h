// How results and progress are written: tables for people, one status line on standard error.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

using TableRow = std::vector<std::string>;

// What the command line shows for a value the controller did not give in this connection.
inline constexpr std::string_view kNoAnswer = "(no answer)";

// Columns padded to their widest cell, two blanks apart, no blanks at the ends of lines. Widths
// count characters, not bytes, so "°C" takes two places.
void WriteTable(std::ostream& out, const TableRow& header, const std::vector<TableRow>& rows);

// Characters of UTF-8 text (lead bytes only).
size_t DisplayWidth(std::string_view utf8);

// Why a file the command writes (a backup, a report) may not be written to the path, or empty: another
// file's contents are never replaced without force, and a link, a pipe or a folder is never written
// through.
std::string ReplaceProblem(const std::filesystem::path& file, bool force);

// Hands the drivers' status texts to standard error while it lives: one line each, or on a terminal
// one line drawn over and over, ended when the object goes.
class StatusLine {
public:
    StatusLine(std::ostream& err, bool terminal);
    ~StatusLine();
    StatusLine(const StatusLine&) = delete;
    StatusLine& operator=(const StatusLine&) = delete;

    // Ends a drawn line so that what follows starts on a fresh one.
    void Finish();

private:
    void Show(const std::wstring& text);

    std::ostream& err_;
    bool terminal_;
    bool drawn_ = false;
};

}  // namespace cli
