// Private-profile (INI) files: the settings file and the data files, read and written by the same
// rules on every platform.
//
// Section and key names match without regard to ASCII case; names and values lose their surrounding
// blanks; lines starting with ';' are comments; the first matching section and, within it, the first
// matching key count. Reads take the size of the buffer a caller would hand to the Windows functions
// and cut the result the same way.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

class IniDocument {
public:
    IniDocument() = default;
    // Any bytes; lines end with LF or CRLF.
    explicit IniDocument(std::string_view text);

    // The value, or the default; either cut to bufferSize - 1 characters. A value in matching quotes
    // loses them.
    std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue,
                          size_t bufferSize) const;
    // Key names of the section in file order, as many as fit the buffer.
    std::vector<std::string> GetKeys(std::string_view section, size_t bufferSize) const;
    // "key=value" lines of the section (and lines without '='), comments and blank lines left out.
    std::vector<std::string> GetSectionLines(std::string_view section, size_t bufferSize) const;

    // Replaces the key's value where it stands, or adds the key (and the section) at the end.
    // False, and nothing changed, for empty names and for text that would break the file's lines (line
    // breaks or NULs anywhere, '=' in a key, ']' in a section).
    bool SetString(std::string_view section, std::string_view key, std::string_view value);
    // True when a line was removed.
    bool DeleteKey(std::string_view section, std::string_view key);

    std::string Text() const;

private:
    struct Line {
        std::string text;    // without its line end
        std::string ending;  // "\r\n", "\n" or "" for a last line without one
    };
    struct Span {
        size_t header;  // index of the section line
        size_t end;     // one past the section's last line
    };

    bool FindSection(std::string_view section, Span& span) const;
    std::string LineEnding() const;

    std::vector<Line> lines_;
};

// Missing or unreadable files read as empty documents.
IniDocument LoadIniFile(const std::filesystem::path& file);
std::string ReadIniString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                          std::string_view defaultValue, size_t bufferSize);
std::vector<std::string> ReadIniKeys(const std::filesystem::path& file, std::string_view section,
                                     size_t bufferSize);
std::vector<std::string> ReadIniSection(const std::filesystem::path& file, std::string_view section,
                                        size_t bufferSize);
// Create the file when missing; false when the file could not be read or written.
bool WriteIniString(const std::filesystem::path& file, std::string_view section, std::string_view key,
                    std::string_view value);
bool DeleteIniKey(const std::filesystem::path& file, std::string_view section, std::string_view key);
