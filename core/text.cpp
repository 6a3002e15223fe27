#include "core/text.h"

#include <cerrno>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) cp = kReplacement;
    if (cp > 0x10FFFF) cp = kReplacement;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendWide(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (cp >> 10));
            out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
            return;
        }
    }
    out += static_cast<wchar_t>(cp);
}

// Decodes one code point at s[i], advancing i; malformed input yields U+FFFD and skips one byte.
char32_t DecodeUtf8(std::string_view s, size_t& i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    size_t len = 0;
    char32_t cp = 0;
    char32_t minimum = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2, cp = b0 & 0x1F, minimum = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3, cp = b0 & 0x0F, minimum = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4, cp = b0 & 0x07, minimum = 0x10000;
    } else {
        ++i;
        return kReplacement;
    }
    if (i + len > s.size()) {
        ++i;
        return kReplacement;
    }
    for (size_t k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kReplacement;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kReplacement;
    }
    i += len;
    return cp;
}

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f' || c == L'\v';
}
bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

}  // namespace

std::wstring Utf8ToWide(std::string_view utf8) {
    std::wstring out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) AppendWide(out, DecodeUtf8(utf8, i));
    return out;
}

std::string WideToUtf8(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t cp = static_cast<char32_t>(wide[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            cp &= 0xFFFF;
            if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < wide.size()) {
                const char32_t low = static_cast<char32_t>(wide[i + 1]) & 0xFFFF;
                if (low >= 0xDC00 && low <= 0xDFFF) {
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    ++i;
                }
            }
        }
        AppendUtf8(out, cp);
    }
    return out;
}

std::filesystem::path PathFromUtf8(std::string_view utf8) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::filesystem::path PathFromWide(std::wstring_view wide) {
    return PathFromUtf8(WideToUtf8(wide));
}

std::string PathToUtf8(const std::filesystem::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(reinterpret_cast<const char*>(u8.data()), u8.size());
}

std::string NarrowByLowByte(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide) out += static_cast<char>(static_cast<unsigned char>(c & 0xFF));
    return out;
}

std::wstring WidenByChar(std::string_view narrow) {
    std::wstring out;
    out.reserve(narrow.size());
    for (char c : narrow) out += static_cast<wchar_t>(static_cast<unsigned char>(c));
    return out;
}

std::optional<double> ParseLeadingDouble(std::wstring_view s, std::string* whyNot) {
    // Scanned by hand so that the locale's decimal point never matters and nothing throws.
    size_t i = 0;
    while (i < s.size() && IsSpace(s[i])) ++i;
    std::string number;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) number += static_cast<char>(s[i++]);
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) number += static_cast<char>(s[i++]), ++digits;
    if (i < s.size() && s[i] == L'.') {
        number += '.';
        ++i;
        while (i < s.size() && IsDigit(s[i])) number += static_cast<char>(s[i++]), ++digits;
    }
    if (digits == 0) {
        if (whyNot) *whyNot = "not a number";
        return std::nullopt;
    }
    if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == L'+' || s[j] == L'-')) exponent += static_cast<char>(s[j++]);
        size_t expDigits = 0;
        while (j < s.size() && IsDigit(s[j])) exponent += static_cast<char>(s[j++]), ++expDigits;
        if (expDigits > 0) number += exponent;
    }
    // strtod reads '.' only in the "C" numeric locale, which the program never changes.
    errno = 0;
    char* end = nullptr;
    const double value = std::strtod(number.c_str(), &end);
    if (errno == ERANGE && std::isinf(value)) {
        if (whyNot) *whyNot = "out of range";
        return std::nullopt;
    }
    return value;
}

std::optional<double> ParseLeadingDouble(std::string_view s, std::string* whyNot) {
    return ParseLeadingDouble(WidenByChar(s), whyNot);
}

std::wstring TrimBlanks(std::wstring_view s) {
    while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
    return std::wstring(s);
}

std::optional<double> ParseTypedNumber(std::wstring_view typed, TypedNumberError* error) {
    const std::wstring s = TrimBlanks(typed);
    const auto fail = [&](TypedNumberError why) -> std::optional<double> {
        if (error) *error = why;
        return std::nullopt;
    };
    if (error) *error = TypedNumberError::None;
    size_t i = 0;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) ++i;
    size_t digits = 0;
    size_t points = 0;
    size_t commas = 0;
    for (; i < s.size(); ++i) {
        if (IsDigit(s[i])) {
            ++digits;
        } else if (s[i] == L'.') {
            ++points;
        } else if (s[i] == L',') {
            ++commas;
        } else {
            return fail(TypedNumberError::NotANumber);
        }
    }
    if (commas == 1 && points == 0 && digits > 0) return fail(TypedNumberError::DecimalComma);
    if (digits == 0 || points > 1 || commas > 0) return fail(TypedNumberError::NotANumber);
    // Only ASCII is left, so the low bytes are the text.
    const auto number = ParseLeadingDouble(std::wstring_view(s));
    if (!number) return fail(TypedNumberError::NotANumber);
    return number;
}

std::optional<double> ParseTypedNumber(std::string_view typed, TypedNumberError* error) {
    return ParseTypedNumber(std::wstring_view(WidenByChar(typed)), error);
}

int32_t CheckedScale(double value, double factor, int32_t minField, int32_t maxField) {
    const double product = value * factor;
    if (!std::isfinite(product)) throw std::out_of_range("scaled value is not a finite number");
    const double truncated = std::trunc(product);
    if (truncated < static_cast<double>(minField) || truncated > static_cast<double>(maxField))
        throw std::out_of_range("scaled value does not fit its field");
    return static_cast<int32_t>(truncated);
}

std::string AsciiLower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace text
