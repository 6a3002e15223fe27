#include "core/ini_file.h"

#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "core/atomic_file.h"
#include "core/text.h"

namespace {

enum class LineKind { Blank, Comment, Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::string_view name;     // section or key name, trimmed
    std::string_view value;    // key value, trimmed
    std::string_view trimmed;  // the whole line, trimmed
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

ParsedLine ParseLine(std::string_view text) {
    // Editors that save UTF-8 with a byte-order mark would otherwise hide the first section.
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) text.remove_prefix(kByteOrderMark.size());
    ParsedLine line;
    line.trimmed = Trim(text);
    if (line.trimmed.empty()) return line;
    if (line.trimmed.front() == ';') {
        line.kind = LineKind::Comment;
    } else if (line.trimmed.front() == '[' && line.trimmed.find(']') != std::string_view::npos) {
        line.kind = LineKind::Section;
        line.name = Trim(line.trimmed.substr(1, line.trimmed.find(']') - 1));
    } else if (const size_t eq = line.trimmed.find('='); eq != std::string_view::npos) {
        line.kind = LineKind::Key;
        line.name = Trim(line.trimmed.substr(0, eq));
        line.value = Trim(line.trimmed.substr(eq + 1));
    } else {
        // A lone '[' or a word without '=': kept in section listings, never a key.
        line.kind = LineKind::Other;
    }
    return line;
}

bool IsKeyLine(const ParsedLine& line, std::string_view key) {
    return line.kind == LineKind::Key && text::EqualsNoCase(line.name, Trim(key));
}

std::string CutToBuffer(std::string_view s, size_t bufferSize) {
    return bufferSize == 0 ? std::string() : std::string(s.substr(0, bufferSize - 1));
}

// A list comes back as strings each ended by a NUL, plus one more NUL. When that does not fit, the
// Windows functions fill all but the last two characters and cut the string standing there.
std::vector<std::string> CutListToBuffer(std::vector<std::string> items, size_t bufferSize) {
    size_t total = 1;
    for (const auto& item : items) total += item.size() + 1;
    if (total <= bufferSize) return items;
    size_t room = bufferSize < 2 ? 0 : bufferSize - 2;
    std::vector<std::string> out;
    for (auto& item : items) {
        if (room == 0) break;
        if (item.size() + 1 <= room) {
            room -= item.size() + 1;
        } else {
            item.resize(room);
            room = 0;
        }
        out.push_back(std::move(item));
    }
    return out;
}

std::string Joined(std::string_view a, std::string_view b, std::string_view c) {
    std::string out;
    out.reserve(a.size() + b.size() + c.size());
    out.append(a).append(b).append(c);
    return out;
}

bool BreaksLines(std::string_view s) {
    return s.find_first_of(std::string_view("\r\n\0", 3)) != s.npos;
}

// Nothing when the file is there but cannot be read: writing would then replace it with one key.
std::optional<std::string> ReadFileText(const std::filesystem::path& file) {
    std::error_code error;
    const auto status = std::filesystem::status(file, error);
    if (status.type() == std::filesystem::file_type::not_found) return std::string();
    if (error || !std::filesystem::is_regular_file(status)) return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

// The whole file is replaced in one step, so a full disk or a crash never leaves settings cut short.
bool WriteFileText(const std::filesystem::path& file, const std::string& bytes) {
    return WriteFileAtomically(file, bytes);
}

}  // namespace

IniDocument::IniDocument(std::string_view text) {
    size_t pos = 0;
    while (pos < text.size()) {
        const size_t newline = text.find('\n', pos);
        if (newline == std::string_view::npos) {
            lines_.push_back({std::string(text.substr(pos)), ""});
            break;
        }
        const bool crlf = newline > pos && text[newline - 1] == '\r';
        const size_t end = crlf ? newline - 1 : newline;
        lines_.push_back({std::string(text.substr(pos, end - pos)), crlf ? "\r\n" : "\n"});
        pos = newline + 1;
    }
}

bool IniDocument::FindSection(std::string_view section, Span& span) const {
    const std::string_view wanted = Trim(section);
    size_t i = 0;
    while (i < lines_.size()) {
        const ParsedLine line = ParseLine(lines_[i].text);
        if (line.kind == LineKind::Section && text::EqualsNoCase(line.name, wanted)) break;
        ++i;
    }
    if (i == lines_.size()) return false;
    span.header = i;
    for (++i; i < lines_.size(); ++i) {
        if (ParseLine(lines_[i].text).kind == LineKind::Section) break;
    }
    span.end = i;
    return true;
}

std::string IniDocument::LineEnding() const {
    for (const auto& line : lines_)
        if (!line.ending.empty()) return line.ending;
    return "\r\n";
}

std::string IniDocument::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue, size_t bufferSize) const {
    Span span{};
    if (!Trim(key).empty() && FindSection(section, span)) {
        for (size_t i = span.header + 1; i < span.end; ++i) {
            const ParsedLine line = ParseLine(lines_[i].text);
            if (!IsKeyLine(line, key)) continue;
            std::string_view value = line.value;
            if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                value.back() == value.front()) {
                value = value.substr(1, value.size() - 2);
            }
            return CutToBuffer(value, bufferSize);
        }
    }
    return CutToBuffer(defaultValue, bufferSize);
}

std::vector<std::string> IniDocument::GetKeys(std::string_view section, size_t bufferSize) const {
    std::vector<std::string> keys;
    Span span{};
    if (!FindSection(section, span)) return keys;
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const ParsedLine line = ParseLine(lines_[i].text);
        if (line.kind == LineKind::Key && !line.name.empty()) keys.emplace_back(line.name);
    }
    return CutListToBuffer(std::move(keys), bufferSize);
}

std::vector<std::string> IniDocument::GetSectionLines(std::string_view section, size_t bufferSize) const {
    std::vector<std::string> out;
    Span span{};
    if (!FindSection(section, span)) return out;
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const ParsedLine line = ParseLine(lines_[i].text);
        if (line.kind == LineKind::Key) {
            out.push_back(Joined(line.name, "=", line.value));
        } else if (line.kind == LineKind::Other) {
            out.emplace_back(line.trimmed);
        }
    }
    return CutListToBuffer(std::move(out), bufferSize);
}

bool IniDocument::SetString(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    if (section.empty() || key.empty() || BreaksLines(section) || BreaksLines(key) || BreaksLines(value) ||
        section.find(']') != section.npos || key.find('=') != key.npos || key.front() == ';' ||
        key.front() == '[' || key.starts_with("\xEF\xBB\xBF")) {
        return false;
    }
    const std::string eol = LineEnding();
    const std::string keyLine = Joined(key, "=", value);
    Span span{};
    if (!FindSection(section, span)) {
        if (!lines_.empty() && lines_.back().ending.empty()) lines_.back().ending = eol;
        lines_.push_back({Joined("[", section, "]"), eol});
        lines_.push_back({keyLine, eol});
        return true;
    }
    size_t insertAt = span.header + 1;
    for (size_t i = span.header + 1; i < span.end; ++i) {
        const ParsedLine line = ParseLine(lines_[i].text);
        if (IsKeyLine(line, key)) {
            // Keep the name as the file spells it.
            lines_[i].text = Joined(line.name, "=", value);
            return true;
        }
        if (line.kind == LineKind::Key) insertAt = i + 1;
    }
    if (lines_[insertAt - 1].ending.empty()) lines_[insertAt - 1].ending = eol;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Line{keyLine, eol});
    return true;
}

bool IniDocument::DeleteKey(std::string_view section, std::string_view key) {
    Span span{};
    if (Trim(key).empty() || !FindSection(section, span)) return false;
    bool removed = false;
    for (size_t i = span.end; i-- > span.header + 1;) {
        if (IsKeyLine(ParseLine(lines_[i].text), key)) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
        }
    }
    return removed;
}

std::string IniDocument::Text() const {
    std::string out;
    for (const auto& line : lines_) out += line.text + line.ending;
    return out;
}

IniDocument LoadIniFile(const std::filesystem::path& file) {
    return IniDocument(ReadFileText(file).value_or(std::string()));
}

std::string ReadIniString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                          std::string_view defaultValue, size_t bufferSize) {
    return LoadIniFile(file).GetString(section, key, defaultValue, bufferSize);
}

std::vector<std::string> ReadIniKeys(const std::filesystem::path& file, std::string_view section,
                                     size_t bufferSize) {
    return LoadIniFile(file).GetKeys(section, bufferSize);
}

std::vector<std::string> ReadIniSection(const std::filesystem::path& file, std::string_view section,
                                        size_t bufferSize) {
    return LoadIniFile(file).GetSectionLines(section, bufferSize);
}

bool WriteIniString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                    std::string_view value) {
    const std::optional<std::string> text = ReadFileText(file);
    if (!text) return false;
    IniDocument document(*text);
    return document.SetString(section, key, value) && WriteFileText(file, document.Text());
}

bool DeleteIniKey(const std::filesystem::path& file, std::string_view section, std::string_view key) {
    const std::optional<std::string> text = ReadFileText(file);
    if (!text) return false;
    IniDocument document(*text);
    // An absent key needs no write, and a missing file is not created for it.
    return !document.DeleteKey(section, key) || WriteFileText(file, document.Text());
}
