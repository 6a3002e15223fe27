// The settings and data files as INI text from arbitrary bytes: the text survives a read unchanged,
// and a name and value the document takes can be read back.
#include <fuzzer/FuzzedDataProvider.h>

#include "core/ini_file.h"
#include "fuzz/fuzz_support.h"

namespace {

using fuzzsupport::Check;

constexpr size_t kWholeValue = 1 << 20;

// A value that reads back as it was written: no blanks at its ends and no surrounding quotes.
bool ReadsBackAsWritten(const std::string& value) {
    if (value.empty()) return true;
    const auto blank = [](char c) {
        return c != 0 && std::string_view(" \t\r\v\f").find(c) != std::string::npos;
    };
    const char q = value.front();
    return !blank(q) && !blank(value.back()) &&
           !(value.size() >= 2 && (q == '"' || q == '\'') && value.back() == q);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzsupport::Setup();
    FuzzedDataProvider input(data, size);
    const std::string section = input.ConsumeRandomLengthString(24);
    const std::string key = input.ConsumeRandomLengthString(24);
    const std::string value = input.ConsumeRandomLengthString(64);
    const size_t buffer = input.ConsumeIntegralInRange<size_t>(0, 300);
    const std::string text = input.ConsumeRemainingBytesAsString();

    IniDocument document(text);
    Check(document.Text() == text, "the text survives a read");
    const std::string got = document.GetString(section, key, "", buffer);
    Check(buffer == 0 ? got.empty() : got.size() < buffer, "a value fits the buffer");
    for (const auto& name : document.GetKeys(section, buffer)) Check(!name.empty() || buffer > 0, "a key");
    document.GetSectionLines(section, buffer);

    if (document.SetString(section, key, value)) {
        const std::string written = document.Text();
        Check(IniDocument(written).Text() == written, "a written document survives a read");
        if (ReadsBackAsWritten(value))
            Check(document.GetString(section, key, "\x01 absent", kWholeValue) == value,
                  "a stored value reads back");
        document.DeleteKey(section, key);
    }
    fuzzsupport::ForgetLog();
    return 0;
}
