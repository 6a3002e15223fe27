#include "tests/support/log_capture.h"

#include <algorithm>

#include "core/log.h"
#include "core/text.h"

namespace testsupport {

LogCapture::LogCapture() {
    logdetail::Reset();
}

LogCapture::~LogCapture() {
    logdetail::Reset();
}

std::vector<std::string> LogCapture::Messages() const {
    std::vector<std::string> out;
    for (const auto& line : logdetail::BufferedLines()) {
        const auto end = line.find(L"] ");
        out.push_back(text::WideToUtf8(end == std::wstring::npos ? line : line.substr(end + 2)));
    }
    return out;
}

void LogCapture::Clear() {
    logdetail::Reset();
}

bool LogCapture::Contains(const std::string& textLine) const {
    return std::ranges::count(Messages(), textLine) > 0;
}

}  // namespace testsupport
