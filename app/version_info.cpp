#include "app/version_info.h"

#include <windows.h>

#include <cstdio>
#include <vector>

#include "core/text.h"

namespace app {

namespace {

std::wstring QueryString(const std::vector<char>& block, unsigned language, unsigned codePage,
                         const char* name) {
    char path[128];
    std::snprintf(path, sizeof(path), "\\StringFileInfo\\%04x%04x\\%s", language, codePage, name);
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path, &value, &length) || !value || length == 0) return {};
    // The ANSI query hands back text in the ANSI code page; the names and versions here are ASCII.
    return text::WidenByChar(static_cast<const char*>(value));
}

}  // namespace

VersionInfo ReadVersionInfo() {
    wchar_t file[MAX_PATH];
    const DWORD fileLength = GetModuleFileNameW(nullptr, file, MAX_PATH);
    if (fileLength == 0 || fileLength >= MAX_PATH) return {};
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(file, &ignored);
    if (size == 0) return {};
    std::vector<char> block(size);
    if (!GetFileVersionInfoW(file, 0, size, block.data())) return {};
    struct Translation {
        WORD language;
        WORD codePage;
    };
    void* translations = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &translations, &length) ||
        length < sizeof(Translation)) {
        return {};
    }
    const auto* first = static_cast<const Translation*>(translations);
    return VersionInfo{QueryString(block, first->language, first->codePage, "ProductName"),
                       QueryString(block, first->language, first->codePage, "ProductVersion")};
}

}  // namespace app
