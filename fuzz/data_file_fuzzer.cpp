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

using fuzzsupport::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::filesystem::path file = [] {
        fuzzsupport::Setup();
        fuzzsupport::FillFamilies();
        return std::filesystem::temp_directory_path() /
               ("vantrel-fuzz-" + std::to_string(std::random_device()()) + ".vtdata");
    }();
    if (size == 0) return 0;
    static const datafiles::Family kFamilies[] = {datafiles::Family::EV48400C, datafiles::Family::FJ,
                                                  datafiles::Family::Tercel};
    datafiles::DataFileContext context;
    context.family = kFamilies[data[0] % 3];
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    fuzzsupport::Setup().file = file;

    DirtyKeys().clear();
    const std::string before = fuzzsupport::Snapshot(context.family);
    if (!datafiles::LoadDataFile(context))
        Check(fuzzsupport::Snapshot(context.family) == before, "a refused file changes nothing");
    DirtyKeys().clear();
    fuzzsupport::ForgetLog();
    return 0;
}
