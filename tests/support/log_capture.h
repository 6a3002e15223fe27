// Collects what the code under test logs, without the time stamps.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

class LogCapture {
public:
    LogCapture();   // drops earlier lines and keeps batches in memory
    ~LogCapture();  // drops what was captured
    // Messages logged since construction or the last Clear, UTF-8, without "[stamp] ".
    std::vector<std::string> Messages() const;
    void Clear();
    // True when some message equals text.
    bool Contains(const std::string& text) const;
};

}  // namespace testsupport
