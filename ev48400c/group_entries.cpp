#include "ev48400c/group_entries.h"

#include <cfloat>
#include <cmath>
#include <iomanip>
#include <locale>
#include <sstream>

namespace EV48400C {

const char* EnumText(std::span<const char* const> names, unsigned value) {
    return value < names.size() ? names[value] : "Unknown";
}

std::string ScaledText(double raw, double scale, int decimals) {
    std::ostringstream out;
    out.imbue(std::locale::classic());
    out << std::fixed << std::setprecision(decimals) << raw * scale;
    return out.str();
}

uint16_t ScaledRaw(const std::string& textValue, double scale) {
    const auto number = text::ParseLeadingDouble(textValue);
    if (!number) throw std::invalid_argument("not a number: '" + textValue + "'");
    // Beyond the float range the conversion itself would be undefined.
    if (std::fabs(*number) > FLT_MAX)
        throw std::out_of_range("not a single-precision number: '" + textValue + "'");
    const float typed = static_cast<float>(*number);
    return text::CheckedScaleU16(static_cast<double>(typed), 1.0 / scale);
}

}  // namespace EV48400C
