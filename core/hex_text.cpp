#include "core/hex_text.h"

#include "core/log.h"

namespace {

constexpr char kDigits[] = "0123456789ABCDEF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

void AppendByte(std::string& out, uint8_t byte) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

}  // namespace

std::string ToHex(const std::vector<uint8_t>& bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) AppendByte(out, byte);
    return out;
}

std::string ToSpacedHex(const std::vector<uint8_t>& bytes) {
    std::string out;
    out.reserve(bytes.size() * 3);
    for (uint8_t byte : bytes) {
        if (!out.empty()) out += ' ';
        AppendByte(out, byte);
    }
    return out;
}

std::string FormatFrame(std::string_view tag, const std::vector<uint8_t>& bytes) {
    std::string out;
    out.reserve(tag.size() + 2 + bytes.size() * 5);
    out += '[';
    out += tag;
    out += ']';
    for (uint8_t byte : bytes) {
        out += " 0x";
        AppendByte(out, byte);
    }
    return out;
}

std::string FormatFrameDump(std::string_view tag, const std::vector<uint8_t>& bytes) {
    std::string out;
    out.reserve(tag.size() + 3 + bytes.size() * 5);
    if (!tag.empty()) {
        out += '[';
        out += tag;
        out += "] ";
    }
    for (uint8_t byte : bytes) {
        out += "0x";
        AppendByte(out, byte);
        out += ' ';
    }
    return out;
}

// Both digits of a pair must stand together: "1 2", "1G" or "-1" are refused rather than read as
// some other number, so a damaged payload fails here instead of deciphering into a wrong frame.
std::optional<std::vector<uint8_t>> TryFromHex(std::string_view text, std::string* whyNot) {
    const auto refuse = [whyNot](const char* why) -> std::optional<std::vector<uint8_t>> {
        Log(why);
        if (whyNot) *whyNot = why;
        return std::nullopt;
    };
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    size_t i = 0;
    while (true) {
        while (i < text.size() && IsBlank(text[i])) ++i;
        if (i == text.size()) return bytes;
        const int high = DigitValue(text[i]);
        if (high < 0) return refuse("Hex string contains invalid characters.");
        ++i;
        size_t rest = i;
        while (rest < text.size() && IsBlank(text[rest])) ++rest;
        if (rest == text.size()) return refuse("Hex string has incomplete byte pair.");
        const int low = DigitValue(text[i]);
        if (low < 0) return refuse("Hex string contains invalid characters.");
        ++i;
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
}

std::vector<uint8_t> FromHex(std::string_view text) {
    return TryFromHex(text).value_or(std::vector<uint8_t>{});
}
