#include "sim/state_text.h"

#include <sstream>

namespace sim {

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}
}  // namespace

std::string BlocksToText(const std::map<std::string, Bytes>& blocks) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (const auto& [name, bytes] : blocks) {
        out += name;
        out += '=';
        for (uint8_t b : bytes) {
            out += kDigits[b >> 4];
            out += kDigits[b & 0x0F];
        }
        out += '\n';
    }
    return out;
}

std::optional<std::map<std::string, Bytes>> BlocksFromText(const std::string& text) {
    std::map<std::string, Bytes> blocks;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const auto equals = line.find('=');
        if (equals == std::string::npos || equals == 0) return std::nullopt;
        const std::string hex = line.substr(equals + 1);
        if (hex.size() % 2 != 0) return std::nullopt;
        Bytes bytes;
        for (size_t i = 0; i < hex.size(); i += 2) {
            const int high = HexValue(hex[i]);
            const int low = HexValue(hex[i + 1]);
            if (high < 0 || low < 0) return std::nullopt;
            bytes.push_back(static_cast<uint8_t>(high * 16 + low));
        }
        blocks[line.substr(0, equals)] = std::move(bytes);
    }
    return blocks;
}

}  // namespace sim
