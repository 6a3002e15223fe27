// A data file of every family built from arbitrary bytes (the first one picks the family): loading it
// never crashes, and a file that is refused changes no stored value and marks nothing.
#include <fstream>

#include "core/param_registry.h"
#include "datafiles/data_file.h"
#include "fuzz/fuzz_support.h"
#include "session/family_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::filesystem::path& file = fuzzsupport::Setup().file;
    if (size == 0) return 0;
    const auto families = session::Families();
    datafiles::DataFileContext context;
    context.part = families[data[0] % families.size()]->dataFile;
    std::ofstream(file, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));

    DirtyKeys().clear();
    const std::string before = fuzzsupport::Snapshot();
    if (!datafiles::LoadDataFile(context))
        fuzzsupport::Check(fuzzsupport::Snapshot() == before, "a refused file changes nothing");
    DirtyKeys().clear();
    fuzzsupport::ForgetLog();
    return 0;
}
