// A data file of every family built from arbitrary bytes (the first one picks the family): loading it
// never crashes, and a file that is refused changes no stored value and marks nothing.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/param_registry.h"
#include "datafiles/data_file.h"
#include "fuzz/fuzz_support.h"
#include "session/family_table.h"

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file = [] {
        fuzzsupport::Setup();
        fuzzsupport::FillFamilies();
        return std::filesystem::temp_directory_path() /
               ("vantrel-fuzz-" + std::to_string(std::random_device()()) + ".vtdata");
    }();
    if (size == 0) return 0;
    const auto families = session::Families();
    const session::FamilyOps& ops = *families[data[0] % families.size()];
    datafiles::DataFileContext context;
    context.part = ops.dataFile;
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    fuzzsupport::Setup().file = file;

    DirtyKeys().clear();
    const std::string before = fuzzsupport::Snapshot(ops.family);
    if (!datafiles::LoadDataFile(context))
        Check(fuzzsupport::Snapshot(ops.family) == before, "a refused file changes nothing");
    DirtyKeys().clear();
    fuzzsupport::ForgetLog();
    return 0;
}
