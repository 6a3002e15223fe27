// Inputs the fuzz targets found, kept as cases so that what they broke stays fixed.
#include <gtest/gtest.h>

#include <string>

#include "core/ini_file.h"

namespace {

// A key that begins with a UTF-8 byte-order mark was stored, but every read skips the mark at the start
// of a line: the value could never be read back. Such a key is now refused like one beginning with ';'.
TEST(FuzzFindings, IniKeysThatCannotBeReadBackAreRefused) {
    const struct {
        const char* what;
        std::string key;
        bool taken;
    } cases[] = {
        {"byte-order mark first", "\xEF\xBB\xBFk", false},
        {"byte-order mark after blanks", "\x0b\xEF\xBB\xBF\x0b\\", false},
        {"comment mark first", ";k", false},
        {"section mark first", "[k", false},
        {"byte-order mark inside", "k\xEF\xBB\xBF", true},
        {"plain", "Port", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        IniDocument document;
        EXPECT_EQ(document.SetString("Vantrel", c.key, "COM3"), c.taken);
        EXPECT_EQ(document.GetString("Vantrel", c.key, "absent", 256), c.taken ? "COM3" : "absent");
        EXPECT_EQ(document.Text().empty(), !c.taken);
    }
}

}  // namespace
